# The libraries of the layers, as cmake/layers.txt lists them: one static library per row, each
# linking the row before it, so every library sees exactly the rows above it in the table.
#
# Reads the table into PRAVELLA_LAYER_ROWS (row names, bottom up) and, per row R,
# PRAVELLA_LAYER_<R>_LAYER and PRAVELLA_LAYER_<R>_FOLDERS; then gives every file under src/ to
# the row of the longest folder that holds it (PRAVELLA_LAYER_<R>_SOURCES). A file in no
# listed folder stops the configuration: every file must have a place in the layers.

set(PRAVELLA_LAYER_TABLE "${CMAKE_SOURCE_DIR}/cmake/layers.txt")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${PRAVELLA_LAYER_TABLE}")
file(STRINGS "${PRAVELLA_LAYER_TABLE}" pravella_layer_lines)
set(PRAVELLA_LAYER_ROWS "")
set(PRAVELLA_LOADABLE_MODULES "")
foreach(line IN LISTS pravella_layer_lines)
  if(line MATCHES "^loadable-modules[ \t]+(.+)$")
    string(STRIP "${CMAKE_MATCH_1}" modules)
    string(REGEX REPLACE "[ \t]+" ";" modules "${modules}")
    list(APPEND PRAVELLA_LOADABLE_MODULES ${modules})
  elseif(line MATCHES "^(pravella_[a-z0-9_]+)[ \t]+([1-6])[ \t]+(.+)$")
    set(row "${CMAKE_MATCH_1}")
    list(APPEND PRAVELLA_LAYER_ROWS "${row}")
    set(PRAVELLA_LAYER_${row}_LAYER "${CMAKE_MATCH_2}")
    string(STRIP "${CMAKE_MATCH_3}" folders)
    string(REGEX REPLACE "[ \t]+" ";" folders "${folders}")
    set(PRAVELLA_LAYER_${row}_FOLDERS "${folders}")
    set(PRAVELLA_LAYER_${row}_SOURCES "")
  endif()
endforeach()

file(GLOB_RECURSE pravella_layer_files CONFIGURE_DEPENDS
     "${CMAKE_SOURCE_DIR}/src/*.cpp" "${CMAKE_SOURCE_DIR}/src/*.h")
foreach(f IN LISTS pravella_layer_files)
  file(RELATIVE_PATH rel "${CMAKE_SOURCE_DIR}/src" "${f}")
  set(best "")
  set(best_length 0)
  foreach(row IN LISTS PRAVELLA_LAYER_ROWS)
    foreach(folder IN LISTS PRAVELLA_LAYER_${row}_FOLDERS)
      string(LENGTH "${folder}/" n)
      string(SUBSTRING "${rel}" 0 ${n} head)
      if(head STREQUAL "${folder}/" AND n GREATER best_length)
        set(best "${row}")
        set(best_length ${n})
      endif()
    endforeach()
  endforeach()
  if(best STREQUAL "")
    message(FATAL_ERROR "src/${rel} lies in no folder of cmake/layers.txt: add its folder to a row")
  endif()
  list(APPEND PRAVELLA_LAYER_${best}_SOURCES "${f}")
endforeach()

# Layers 1 to 5 are libraries; layer 6 holds the programs, made in the top CMakeLists.txt.
# A loadable module stands outside the chain: an object library of its files (which tests of
# its parts link), and the shared module made of them beside the programs. It is linked with
# -z defs, so a call into any of our libraries fails its link: it carries no copy of their
# code or state. Its own libraries are linked to <row>_objects in the top CMakeLists.txt.
set(PRAVELLA_LAYER_LIBRARIES "")
set(previous "")
foreach(row IN LISTS PRAVELLA_LAYER_ROWS)
  if(PRAVELLA_LAYER_${row}_LAYER EQUAL 6)
    continue()
  endif()
  set(sources ${PRAVELLA_LAYER_${row}_SOURCES})
  list(FILTER sources INCLUDE REGEX "\\.cpp$")
  if(row IN_LIST PRAVELLA_LOADABLE_MODULES)
    add_library(${row}_objects OBJECT ${PRAVELLA_LAYER_${row}_SOURCES})
    target_compile_options(${row}_objects PRIVATE ${PRAVELLA_WARNINGS})
    target_include_directories(${row}_objects PUBLIC "${CMAKE_SOURCE_DIR}/src")
    target_link_libraries(${row}_objects PUBLIC Qt6::Core Qt6::Gui)
    set_target_properties(${row}_objects PROPERTIES AUTOMOC OFF POSITION_INDEPENDENT_CODE ON
                          CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
    add_library(${row} MODULE)
    target_link_libraries(${row} PRIVATE ${row}_objects)
    # clang's sanitizer and libFuzzer runtimes live in the program that loads the module, so a
    # fuzz build leaves the module's calls into them to be bound when it is loaded; the normal
    # build keeps the check.
    if(NOT PRAVELLA_FUZZ)
      target_link_options(${row} PRIVATE "LINKER:-z,defs")
    endif()
    set_target_properties(${row} PROPERTIES AUTOMOC OFF LIBRARY_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}")
    continue()
  endif()
  if(sources)
    add_library(${row} STATIC ${PRAVELLA_LAYER_${row}_SOURCES})
    target_compile_options(${row} PRIVATE ${PRAVELLA_WARNINGS})
    if(previous)
      target_link_libraries(${row} PUBLIC ${previous})
    endif()
  else()
    # A folder that holds no code yet still takes its place in the chain.
    add_library(${row} INTERFACE)
    if(previous)
      target_link_libraries(${row} INTERFACE ${previous})
    endif()
  endif()
  list(APPEND PRAVELLA_LAYER_LIBRARIES ${row})
  set(previous "${row}")
endforeach()

# The link check: each library linked whole, with only the libraries below it, into a program
# that does nothing. A file that calls into a library above its own fails this link with an
# undefined reference, whether or not anything else happens to pull that code in.
option(PRAVELLA_CHECK_LAYERS "Link every layer library alone to catch calls into higher layers" ON)
function(pravella_add_layer_link_checks)
  if(NOT PRAVELLA_CHECK_LAYERS)
    return()
  endif()
  foreach(row IN LISTS PRAVELLA_LAYER_LIBRARIES)
    get_target_property(type ${row} TYPE)
    if(type STREQUAL "STATIC_LIBRARY")
      add_executable(layer_check_${row} "${CMAKE_SOURCE_DIR}/cmake/layer_check_main.cpp")
      set_target_properties(layer_check_${row} PROPERTIES AUTOMOC OFF)
      target_link_libraries(layer_check_${row} PRIVATE "$<LINK_LIBRARY:WHOLE_ARCHIVE,${row}>")
    endif()
  endforeach()
endfunction()
