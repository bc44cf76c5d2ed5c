# What a Windows build makes beside the program: the capture, the programs' icon and version
# information, and the tests run under Wine. (scripts/windows-build packs the zip.)
# The pictures, the music and the icon are the Linux build's (VELMORA_LINUX_BUILD, by default
# build/ of the source tree): the same bytes everywhere.
set(VELMORA_LINUX_BUILD "${CMAKE_SOURCE_DIR}/build" CACHE PATH "A Linux build of the show, for its pictures and music")
foreach(file oldskool.dat drift.mod icons/16x16/apps/velmora.png)
  if(NOT EXISTS "${VELMORA_LINUX_BUILD}/${file}")
    message(FATAL_ERROR "${VELMORA_LINUX_BUILD} holds no ${file}: build the show for Linux first (scripts/setup)")
  endif()
endforeach()
# Beside the programs, where they look for them, and at the top of the build, where the tests do.
foreach(file oldskool.dat drift.mod)
  configure_file(${VELMORA_LINUX_BUILD}/${file} ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/${file} COPYONLY)
  configure_file(${VELMORA_LINUX_BUILD}/${file} ${CMAKE_BINARY_DIR}/${file} COPYONLY)
endforeach()

# The icon: the Linux build's drawings of it, 16 to 256 pixels, in one .ico.
set(icon ${CMAKE_BINARY_DIR}/resources/velmora.ico)
file(GLOB icon_sizes ${VELMORA_LINUX_BUILD}/icons/*/apps/velmora.png)
find_package(Python3 REQUIRED COMPONENTS Interpreter)
add_custom_command(OUTPUT ${icon}
                   COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/cmake/make_ico.py ${icon} ${icon_sizes}
                   DEPENDS ${CMAKE_SOURCE_DIR}/cmake/make_ico.py ${icon_sizes}
                   COMMENT "Packing the icon")
add_custom_target(windows_icon DEPENDS ${icon})

# The version information and the icon, compiled into each program; what names the program is
# written into a header of its own (resources/<program>/program_info.h), which the resource
# compiler's preprocessor reads more surely than quoted words on its command line.
string(REPLACE "." "," version_commas "${PROJECT_VERSION}")
function(velmora_windows_resources target description)
  file(WRITE ${CMAKE_BINARY_DIR}/resources/${target}/program_info.h
       "#define VELMORA_PROGRAM \"${target}\"\n"
       "#define VELMORA_DESCRIPTION \"${description}\"\n"
       "#define VELMORA_VERSION_TEXT \"${PROJECT_VERSION}\"\n"
       "#define VELMORA_VERSION_COMMAS ${version_commas},0\n")
  target_sources(${target} PRIVATE ${PLATFORM_ROOT}/windows/resources.rc)
  target_include_directories(${target} PRIVATE ${CMAKE_BINARY_DIR}/resources/${target} ${CMAKE_BINARY_DIR}/resources
                             ${PLATFORM_ROOT}/windows)
  add_dependencies(${target} windows_icon)
endfunction()
velmora_windows_resources(velmora "Velmora, a demo")
# A program of the desktop: no console window opens with it.
set_target_properties(velmora PROPERTIES WIN32_EXECUTABLE TRUE)

add_executable(velmora-capture ${CMAKE_SOURCE_DIR}/tools/velmora-capture.cpp)
target_link_libraries(velmora-capture PRIVATE engine)
velmora_windows_resources(velmora-capture "Velmora's offline renderer")

if(VELMORA_TESTS)
  enable_testing()
  add_subdirectory(tools/review)
  add_subdirectory(tests)
endif()
