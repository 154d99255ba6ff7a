target_sources(kexcore PRIVATE
  src/launch/IconReaders.cpp
  src/launch/DesktopEntry.cpp
)
