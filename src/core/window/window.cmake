target_sources(kexcore PRIVATE
  src/core/window/Startup.cpp
)
