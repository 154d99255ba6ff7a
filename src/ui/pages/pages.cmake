target_sources(kexui PRIVATE
  src/ui/pages/PageHooks.h
  src/ui/pages/PageBar.h
  src/ui/pages/PageBar.cpp
  src/ui/pages/PageButtons.cpp
  src/ui/pages/ButtonFaces.h
  src/ui/pages/ButtonFaces.cpp
  src/ui/pages/TabColors.h
  src/ui/pages/TabColors.cpp
)
