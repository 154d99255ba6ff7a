target_sources(kexplatform PRIVATE
  src/platform/TPlatform.h
  src/platform/LinuxPlatform.h
  src/platform/LinuxPlatform.cpp
  src/platform/MessageBus.h
  src/platform/MessageBus.cpp
)
# The installed data directory, where the help file is looked for last.
include(GNUInstallDirs)
target_compile_definitions(kexplatform PRIVATE KEXBAR_DATADIR="${CMAKE_INSTALL_FULL_DATADIR}/kexbar")
