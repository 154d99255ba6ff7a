target_sources(kexcore PRIVATE
  src/core/bar/BarStore.cpp
)
