target_sources(kexcore PRIVATE
  src/pages/ButtonRecord.cpp
)
