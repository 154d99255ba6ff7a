target_sources(kexplatform PRIVATE
  src/platform/Icons.cpp
)
