# letterbot_platform_sources(VAR DIR): the .cpp files of DIR for the platform
# being built. A file named for a platform (NAME_linux.cpp, NAME_windows.cpp,
# NAME_web.cpp) is taken only for it, and NAME_posix.cpp for the two POSIX ones,
# Linux and the browser; every other file for all.
function(letterbot_platform_sources var dir)
  file(GLOB sources CONFIGURE_DEPENDS ${dir}/*.cpp)
  set(others linux windows web posix)
  list(REMOVE_ITEM others ${LETTERBOT_PLATFORM})
  if(NOT LETTERBOT_PLATFORM STREQUAL windows)
    list(REMOVE_ITEM others posix)
  endif()
  list(JOIN others "|" pattern)
  list(FILTER sources EXCLUDE REGEX "_(${pattern})\\.cpp$")
  set(${var} ${sources} PARENT_SCOPE)
endfunction()
