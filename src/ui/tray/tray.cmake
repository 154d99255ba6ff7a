target_sources(kexui PRIVATE
  src/ui/tray/TrayIcon95.cpp
  src/ui/tray/TrayIcon95.h
)
