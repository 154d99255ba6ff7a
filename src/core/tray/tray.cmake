target_sources(kexcore PRIVATE
  src/core/tray/TimerManager.cpp
)
