target_sources(kexui PRIVATE
  src/ui/launch/LaunchEngine.cpp
)
