target_sources(kexcore PRIVATE
  src/pages/ButtonRecord.cpp
  src/pages/PageCommands.cpp
)
