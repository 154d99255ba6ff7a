target_sources(kexcore PRIVATE
  src/app/ConfigTool.cpp
)
