target_sources(kexplatform PRIVATE
  src/platform/TPlatform.h
  src/platform/LinuxPlatform.h
  src/platform/LinuxPlatform.cpp
  src/platform/ActivationService.h
  src/platform/ActivationService.cpp
  src/platform/MessageBus.h
  src/platform/MessageBus.cpp
  src/platform/Icons.cpp
  src/platform/Processes.cpp
  src/platform/Associations.cpp
  src/platform/SoundPlayer.h
  src/platform/Sound.cpp
  src/platform/SystemServices.h
  src/platform/LinuxSystemServices.h
  src/platform/SystemServices.cpp
  src/platform/CdDrive.cpp
  src/platform/OpticalDrives.h
  src/platform/OpticalDrives.cpp
  src/platform/Drives.h
  src/platform/Drives.cpp
  src/platform/Memory.h
  src/platform/Memory.cpp
  src/platform/Mixer.h
  src/platform/Mixer.cpp
  src/platform/PointerWatch.h
  src/platform/PointerWatch.cpp
  src/platform/LazySound.cpp
)
# The application menu lives in a library of its own that kexbar-config links too.
target_sources(kexappmenu PRIVATE
  src/platform/AppMenu.h
  src/platform/AppMenu.cpp
  src/platform/LazyLibrary.h
  src/platform/LazyLibrary.cpp
  src/platform/LazyGio.cpp
)
# The installed data directory, where the help file is looked for last.
target_compile_definitions(kexplatform PRIVATE KEXBAR_DATADIR="${KEXBAR_DATADIR}")
