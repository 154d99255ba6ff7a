target_sources(kexui PRIVATE
  src/ui/tray/Tray.cpp
)
