# The browser build's libraries: the SDL 1.2 headers (sdl12-compat's), gl4es
# (OpenGL 1.x on WebGL) and GLU's utility library, from the unmodified source
# archives in third_party/, each checked against its SHA-256 before it is
# unpacked into the build tree. gl4es is built once with its own CMake; GLU's
# five files are compiled here, against gl4es's headers, whose names GLU must
# call.
#
# Defines SDL_INCLUDE_DIRS, SDL_CFLAGS_OTHER and the targets letterbot_sdl and
# letterbot_gl, as the desktop builds get them from their systems.
include(ExternalProject)

# unpack_third_party(NAME SHA256): unpacks third_party/NAME.tar.gz into
# third_party/NAME of the build tree, once, and sets NAME_DIR.
function(unpack_third_party name sha256)
  set(archive ${CMAKE_SOURCE_DIR}/third_party/${name}.tar.gz)
  file(SHA256 ${archive} actual)
  if(NOT actual STREQUAL sha256)
    message(FATAL_ERROR "${archive}: SHA-256 is ${actual}, expected ${sha256}")
  endif()
  set(dir ${CMAKE_BINARY_DIR}/third_party)
  if(NOT EXISTS ${dir}/${name}.unpacked)
    file(REMOVE_RECURSE ${dir}/${name})
    file(ARCHIVE_EXTRACT INPUT ${archive} DESTINATION ${dir})
    file(TOUCH ${dir}/${name}.unpacked)
  endif()
  set(${name}_DIR ${dir}/${name} PARENT_SCOPE)
endfunction()

unpack_third_party(sdl12-compat-1.2.76
  6320f12cc4b7557c3c89b9620f6df958d7b490814ff53344a721c50cac054c92)
unpack_third_party(gl4es-1.1.6 6efea7bd2b338575062afa6906a31f8043837cde3118a65326363450e66ec410)
unpack_third_party(glu-9.0.2 24effdfb952453cc00e275e1c82ca9787506aba0282145fff054498e60e19a65)

# Only the headers: the SDL 1.2 entry points come from src/platform/sdl_web.cpp.
set(SDL_INCLUDE_DIRS ${sdl12-compat-1.2.76_DIR}/include/SDL)
set(SDL_CFLAGS_OTHER "")
add_library(letterbot_sdl INTERFACE)

# gl4es without X11 or EGL: the page makes the WebGL context, gl4es draws on
# it. Its output goes to logs in the build tree, shown if a step fails.
set(GL4ES_DIR ${gl4es-1.1.6_DIR})
get_filename_component(WEB_TOOLCHAIN_FILE ${CMAKE_TOOLCHAIN_FILE} ABSOLUTE)
cmake_host_system_information(RESULT WEB_BUILD_JOBS QUERY NUMBER_OF_LOGICAL_CORES)
ExternalProject_Add(gl4es
  SOURCE_DIR ${GL4ES_DIR}
  BINARY_DIR ${CMAKE_BINARY_DIR}/third_party/gl4es-build
  LIST_SEPARATOR |
  CMAKE_ARGS -DCMAKE_TOOLCHAIN_FILE=${WEB_TOOLCHAIN_FILE} -DCMAKE_BUILD_TYPE=Release
             ${LETTERBOT_LAUNCHER_ARGS}
             -DNOX11=ON -DNOEGL=ON -DSTATICLIB=ON
  BUILD_COMMAND ${CMAKE_COMMAND} --build <BINARY_DIR> --target GL --parallel ${WEB_BUILD_JOBS}
  INSTALL_COMMAND ""
  LOG_CONFIGURE TRUE LOG_BUILD TRUE LOG_OUTPUT_ON_FAILURE TRUE
  # gl4es puts its library beside its sources.
  BUILD_BYPRODUCTS ${GL4ES_DIR}/lib/libGL.a)

# GLU's mipmaps and gluLookAt, the same code Debian's libGLU is built from.
# Under Emscripten gl4es's headers rename every GL and GLU function (glEnable
# becomes gl4es_glEnable, gluLookAt mgluLookAt), so GLU is compiled against
# them, as the program is.
set(GLU_DIR ${glu-9.0.2_DIR})
add_library(letterbot_glu STATIC
  ${GLU_DIR}/src/libutil/error.c ${GLU_DIR}/src/libutil/glue.c
  ${GLU_DIR}/src/libutil/mipmap.c ${GLU_DIR}/src/libutil/project.c
  ${GLU_DIR}/src/libutil/registry.c)
target_include_directories(letterbot_glu BEFORE PRIVATE ${GL4ES_DIR}/include
                           ${GLU_DIR}/src/include ${GLU_DIR}/src/libutil)
target_compile_definitions(letterbot_glu PRIVATE USE_MGL_NAMESPACE)
# Upstream's code, kept as it is: its warnings are not ours to mend.
target_compile_options(letterbot_glu PRIVATE -w)
add_dependencies(letterbot_glu gl4es)

add_library(letterbot_gl INTERFACE)
target_include_directories(letterbot_gl INTERFACE ${GL4ES_DIR}/include)
target_link_libraries(letterbot_gl INTERFACE letterbot_glu ${GL4ES_DIR}/lib/libGL.a)
add_dependencies(letterbot_gl gl4es)
