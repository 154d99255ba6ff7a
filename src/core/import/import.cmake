target_sources(kexcore PRIVATE
  src/core/import/GroupSource.h
  src/core/import/ProgramImport.h
  src/core/import/ProgramImport.cpp
  src/core/import/ImportCommand.cpp
)
