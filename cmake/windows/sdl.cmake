# SDL for the Windows build: Debian packages SDL only for Linux, so SDL 2 and
# sdl12-compat (the SDL 1.2 API on SDL 2) are built from the unmodified source
# archives in third_party/, whose SHA-256 is checked before they are unpacked.
# Both are installed into the build tree, once: later builds find them done.
#
# Defines SDL_INCLUDE_DIRS, SDL_CFLAGS_OTHER and the target letterbot_sdl, as
# the Linux build gets them from pkg-config. sdl12-compat's own link line would
# also bring SDLmain, whose start-up code sends standard output to a file
# "stdout.txt", and -mwindows, which drops the console: the program needs its
# console, so it links only SDL.dll's import library.
include(ExternalProject)

set(SDL_PREFIX ${CMAKE_BINARY_DIR}/sdl)
get_filename_component(SDL_TOOLCHAIN_FILE ${CMAKE_TOOLCHAIN_FILE} ABSOLUTE)
# SDL's own output goes to logs in the build tree (shown if a step fails); a
# logged build cannot share make's job slots, so it is told the count itself.
cmake_host_system_information(RESULT SDL_BUILD_JOBS QUERY NUMBER_OF_LOGICAL_CORES)
set(SDL_STEP_OPTIONS
    LIST_SEPARATOR |
    BUILD_COMMAND ${CMAKE_COMMAND} --build <BINARY_DIR> --parallel ${SDL_BUILD_JOBS}
    LOG_DOWNLOAD TRUE LOG_CONFIGURE TRUE LOG_BUILD TRUE LOG_INSTALL TRUE
    LOG_OUTPUT_ON_FAILURE TRUE)
set(SDL_COMMON_ARGS
    -DCMAKE_TOOLCHAIN_FILE=${SDL_TOOLCHAIN_FILE} ${LETTERBOT_LAUNCHER_ARGS}
    -DCMAKE_INSTALL_PREFIX=${SDL_PREFIX}
    # Speed does not matter in SDL here (GL draws, SDL only opens the window and
    # pumps events), size does: it ships in the zip.
    -DCMAKE_BUILD_TYPE=MinSizeRel)

# Only what the program uses: video with OpenGL through the Windows driver,
# events, timers and the threads, loading and CPU detection SDL needs inside.
# SDL's own C library routines, as its own Windows configuration has them:
# that also spares its configure step nearly 300 checks, each a MinGW link.
ExternalProject_Add(sdl2
  URL ${CMAKE_SOURCE_DIR}/third_party/SDL2-2.32.10.tar.gz
  URL_HASH SHA256=d84fc17da77f7a7e0b99553f04befc3c0502839dec3ee129864d777bedce2f47
  DOWNLOAD_EXTRACT_TIMESTAMP TRUE
  PREFIX ${CMAKE_BINARY_DIR}/sdl-build/sdl2
  ${SDL_STEP_OPTIONS}
  CMAKE_ARGS ${SDL_COMMON_ARGS}
    -DSDL_SHARED=ON -DSDL_STATIC=OFF -DSDL_TEST=OFF -DSDL2_DISABLE_SDL2MAIN=ON
    -DSDL_CCACHE=OFF -DSDL_LIBC=OFF
    -DSDL_AUDIO=OFF -DSDL_JOYSTICK=OFF -DSDL_HAPTIC=OFF -DSDL_HIDAPI=OFF
    -DSDL_POWER=OFF -DSDL_SENSOR=OFF -DSDL_LOCALE=OFF -DSDL_MISC=OFF
    -DSDL_RENDER=OFF -DSDL_FILESYSTEM=OFF
    -DSDL_DIRECTX=OFF -DSDL_XINPUT=OFF -DSDL_WASAPI=OFF -DSDL_RENDER_D3D=OFF
    -DSDL_VULKAN=OFF -DSDL_OPENGLES=OFF -DSDL_DUMMYVIDEO=OFF -DSDL_OFFSCREEN=OFF
    -DSDL_DISKAUDIO=OFF -DSDL_DUMMYAUDIO=OFF
  BUILD_BYPRODUCTS ${SDL_PREFIX}/bin/SDL2.dll)

# sdl12-compat loads SDL2.dll at run time; it needs only SDL 2's headers here.
ExternalProject_Add(sdl12_compat
  URL ${CMAKE_SOURCE_DIR}/third_party/sdl12-compat-1.2.76.tar.gz
  URL_HASH SHA256=6320f12cc4b7557c3c89b9620f6df958d7b490814ff53344a721c50cac054c92
  DOWNLOAD_EXTRACT_TIMESTAMP TRUE
  PREFIX ${CMAKE_BINARY_DIR}/sdl-build/sdl12-compat
  ${SDL_STEP_OPTIONS}
  DEPENDS sdl2
  CMAKE_ARGS ${SDL_COMMON_ARGS}
    -DSDL2_INCLUDE_DIR=${SDL_PREFIX}/include/SDL2
    -DSDL12TESTS=OFF
  BUILD_BYPRODUCTS ${SDL_PREFIX}/bin/SDL.dll ${SDL_PREFIX}/lib/libSDL.dll.a)

# The license files travel with the DLLs.
ExternalProject_Get_Property(sdl2 SOURCE_DIR)
set(SDL2_LICENSE_FILE ${SOURCE_DIR}/LICENSE.txt)
ExternalProject_Get_Property(sdl12_compat SOURCE_DIR)
set(SDL12_COMPAT_LICENSE_FILE ${SOURCE_DIR}/LICENSE.txt)
set(SDL_DLLS ${SDL_PREFIX}/bin/SDL.dll ${SDL_PREFIX}/bin/SDL2.dll)

set(SDL_INCLUDE_DIRS ${SDL_PREFIX}/include/SDL)
set(SDL_CFLAGS_OTHER "")
# The include folder must exist when CMake checks the target, before SDL is built.
file(MAKE_DIRECTORY ${SDL_INCLUDE_DIRS})
add_library(letterbot_sdl INTERFACE)
target_link_libraries(letterbot_sdl INTERFACE ${SDL_PREFIX}/lib/libSDL.dll.a)
add_dependencies(letterbot_sdl sdl12_compat)
