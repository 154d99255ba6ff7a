target_sources(kexcore PRIVATE
  src/core/autostart/Autostart.cpp
)
