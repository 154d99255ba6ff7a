target_sources(kexcore PRIVATE
  src/core/config/IniDocument.cpp
  src/core/config/NewIniFile.cpp
  src/core/config/Settings.cpp
  src/core/config/ConfigTool.cpp
)
