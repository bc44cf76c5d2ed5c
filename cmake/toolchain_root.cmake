# The root of prebuilt libraries that a toolchain file builds against: the variable NAME as given
# to cmake or in the environment, checked for a file that only such a root holds (EXPECT, under
# it), kept in the cache for cmake's later runs and handed to the projects of its checks, which
# read the toolchain file anew.
macro(velmora_toolchain_root name expect description)
  if(NOT ${name})
    set(${name} "$ENV{${name}}")
  endif()
  if(NOT EXISTS "${${name}}/${expect}")
    message(FATAL_ERROR "${name} is not ${description}: '${${name}}'")
  endif()
  set(${name} "${${name}}" CACHE PATH "${description}")
  list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES ${name})
endmacro()
