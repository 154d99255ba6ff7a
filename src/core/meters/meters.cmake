target_sources(kexcore PRIVATE
  src/core/meters/Readings.cpp
  src/core/meters/Volumes.cpp
  src/core/meters/Disk.cpp
  src/core/meters/Memory.cpp
  src/core/meters/Clock.cpp
  src/core/meters/SoundVolume.cpp
)
