target_sources(kexui PRIVATE
  src/ui/widgets/Pictures.h
  src/ui/widgets/Pictures.cpp
  src/ui/widgets/SpeedButton.h
  src/ui/widgets/SpeedButton.cpp
  src/ui/widgets/TabSet.h
  src/ui/widgets/TabSet.cpp
  src/ui/widgets/GraphicControl.h
  src/ui/widgets/GraphicControl.cpp
  src/ui/widgets/Colors.h
  src/ui/widgets/EnhancedGauge.h
  src/ui/widgets/EnhancedGauge.cpp
  src/ui/widgets/Eyes.h
  src/ui/widgets/Eyes.cpp
  src/ui/widgets/SpinButton.h
  src/ui/widgets/SpinButton.cpp
)
