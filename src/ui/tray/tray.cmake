target_sources(kexui PRIVATE
  src/ui/tray/TrayIcon.h
)
