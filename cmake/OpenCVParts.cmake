# Debian splits OpenCV into per-module packages, and its CMake package config comes only with
# the meta package that also installs highgui (which loads Qt 5). We install just the modules
# we use and find them here, into one interface target: pravella_opencv.
find_path(PRAVELLA_OPENCV_INCLUDE opencv2/core.hpp PATH_SUFFIXES opencv4 REQUIRED)
add_library(pravella_opencv INTERFACE)
target_include_directories(pravella_opencv SYSTEM INTERFACE "${PRAVELLA_OPENCV_INCLUDE}")
foreach(m core imgproc imgcodecs video videoio)
  find_library(PRAVELLA_OPENCV_${m} NAMES opencv_${m} REQUIRED)
  target_link_libraries(pravella_opencv INTERFACE "${PRAVELLA_OPENCV_${m}}")
endforeach()
