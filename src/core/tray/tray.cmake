target_sources(kexcore PRIVATE
  src/core/tray/TimerManager.cpp
  src/core/tray/TrayIconModel.cpp
  src/core/tray/TrayMouse.cpp
)
