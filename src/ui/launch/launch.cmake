target_sources(kexui PRIVATE
  src/ui/launch/Launcher.h
  src/ui/launch/Launcher.cpp
)
