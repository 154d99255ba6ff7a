target_sources(kexcore PRIVATE
  src/core/protect/PasswordFile.cpp
  src/core/protect/PasswordStore.cpp
  src/core/protect/PasswordChecks.cpp
)
