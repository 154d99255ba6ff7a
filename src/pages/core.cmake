target_sources(kexcore PRIVATE
  src/pages/ButtonRecord.cpp
  src/pages/PageCommands.cpp
  src/pages/PageShift.cpp
  src/pages/Renumber.cpp
)
