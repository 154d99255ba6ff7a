target_sources(kexui PRIVATE
  src/launch/ButtonMenu.cpp
  src/launch/LaunchEngine.cpp
  src/launch/Configure.cpp
)
