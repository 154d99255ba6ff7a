target_sources(kexplatform PRIVATE
  src/platform/Processes.cpp
  src/platform/Associations.cpp
  src/platform/SoundPlayer.h
  src/platform/Sound.cpp
)
