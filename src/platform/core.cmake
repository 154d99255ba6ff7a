target_sources(kexplatform PRIVATE
  src/platform/TPlatform.h
  src/platform/LinuxPlatform.h
  src/platform/LinuxPlatform.cpp
  src/platform/MessageBus.h
  src/platform/MessageBus.cpp
)
