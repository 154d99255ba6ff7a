target_sources(kexcore PRIVATE
  src/launch/CommandLine.cpp
)
