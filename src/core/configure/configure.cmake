target_sources(kexcore PRIVATE
  src/core/configure/DropTarget.cpp
)
