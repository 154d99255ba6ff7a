target_sources(kexcore PRIVATE
  src/core/launch/ShellLink.cpp
  src/core/launch/LinkCommand.cpp
)
