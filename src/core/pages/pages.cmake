target_sources(kexcore PRIVATE
  src/core/pages/ButtonRecord.cpp
  src/core/pages/Grid.cpp
  src/core/pages/PageCommands.cpp
  src/core/pages/PageShift.cpp
  src/core/pages/PasswordCarrier.cpp
  src/core/pages/Renumber.cpp
)
