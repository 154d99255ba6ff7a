target_sources(kexcore PRIVATE
  src/core/window/Activation.cpp
  src/core/window/Startup.cpp
  src/core/window/StartupSettings.cpp
)
