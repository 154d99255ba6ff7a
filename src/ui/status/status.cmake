target_sources(kexui PRIVATE
  src/ui/status/SmallMode.cpp
  src/ui/status/StatusPanel.cpp
  src/ui/status/GaugeSources.cpp
)
