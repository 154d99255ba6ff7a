target_sources(kexcore PRIVATE
  src/core/launch/CommandLine.cpp
  src/core/launch/DesktopEntry.cpp
  src/core/launch/IconReaders.cpp
)
