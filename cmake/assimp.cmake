# assimp 6.0.5 for the converter, the same on Linux, Windows and in the
# browser: built from the unmodified source archive in third_party/ (its
# SHA-256 checked before it is unpacked), once per build tree, as a static
# library with only the importers the converter documents and the zlib it
# bundles. No exporters, tools or tests.
#
# Defines the target letterbot_assimp (headers and libraries) and the
# function assimp_notices, for the builds that ship assimp.
include(ExternalProject)

set(ASSIMP_NAME assimp-6.0.5)
set(ASSIMP_PREFIX ${CMAKE_BINARY_DIR}/third_party/assimp)
set(ASSIMP_SOURCE_DIR ${ASSIMP_PREFIX}/src/assimp)
set(ASSIMP_BINARY_DIR ${ASSIMP_PREFIX}/src/assimp-build)

# The converter's formats. ASE needs the 3DS importer's code: without it, it
# compiles to nothing.
set(ASSIMP_IMPORTERS GLTF OBJ FBX COLLADA 3DS ASE PLY STL BLEND)
set(ASSIMP_IMPORTER_ARGS "")
foreach(importer ${ASSIMP_IMPORTERS})
  list(APPEND ASSIMP_IMPORTER_ARGS -DASSIMP_BUILD_${importer}_IMPORTER=ON)
endforeach()

# Speed matters on the desktop, where a large model is imported; size in the
# browser, where the library is downloaded. The build type is assimp's own, so
# that a Debug tree of ours (the sanitizers') shares the compiled files of the
# Release tree through ccache.
if(EMSCRIPTEN)
  set(ASSIMP_BUILD_TYPE MinSizeRel)
  # assimp refuses a file by throwing; without exceptions every refusal aborts.
  set(ASSIMP_EXTRA_FLAGS "-fwasm-exceptions")
else()
  set(ASSIMP_BUILD_TYPE Release)
  set(ASSIMP_EXTRA_FLAGS "")
endif()
# The fuzzers' tree instruments assimp too, so that libFuzzer sees its branches,
# with line tables: script/fuzz tells assimp's faults from ours by the source
# files in their stacks.
if(LETTERBOT_FUZZ)
  string(APPEND ASSIMP_EXTRA_FLAGS
         " -fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer -gline-tables-only")
endif()

set(ASSIMP_TOOLCHAIN_ARGS
    -DCMAKE_C_COMPILER=${CMAKE_C_COMPILER} -DCMAKE_CXX_COMPILER=${CMAKE_CXX_COMPILER})
if(CMAKE_TOOLCHAIN_FILE)
  get_filename_component(ASSIMP_TOOLCHAIN_FILE ${CMAKE_TOOLCHAIN_FILE} ABSOLUTE)
  list(APPEND ASSIMP_TOOLCHAIN_ARGS -DCMAKE_TOOLCHAIN_FILE=${ASSIMP_TOOLCHAIN_FILE})
endif()

set(ASSIMP_LIBRARIES ${ASSIMP_BINARY_DIR}/lib/libassimp.a
    ${ASSIMP_BINARY_DIR}/contrib/zlib/libzlibstatic.a)

cmake_host_system_information(RESULT ASSIMP_BUILD_JOBS QUERY NUMBER_OF_LOGICAL_CORES)
ExternalProject_Add(assimp
  URL ${CMAKE_SOURCE_DIR}/third_party/${ASSIMP_NAME}.tar.gz
  URL_HASH SHA256=4a317fa7c6d23c408904e2b083e75f3f2ad79323c12491d18bdd86b3a3f7dd46
  DOWNLOAD_EXTRACT_TIMESTAMP TRUE
  PREFIX ${ASSIMP_PREFIX}
  LIST_SEPARATOR |
  CMAKE_ARGS ${ASSIMP_TOOLCHAIN_ARGS} ${LETTERBOT_LAUNCHER_ARGS}
    -DCMAKE_BUILD_TYPE=${ASSIMP_BUILD_TYPE}
    "-DCMAKE_C_FLAGS=${ASSIMP_EXTRA_FLAGS}" "-DCMAKE_CXX_FLAGS=${ASSIMP_EXTRA_FLAGS}"
    -DBUILD_SHARED_LIBS=OFF
    -DASSIMP_BUILD_ALL_IMPORTERS_BY_DEFAULT=OFF -DASSIMP_BUILD_ALL_EXPORTERS_BY_DEFAULT=OFF
    ${ASSIMP_IMPORTER_ARGS}
    -DASSIMP_NO_EXPORT=ON -DASSIMP_BUILD_TESTS=OFF -DASSIMP_BUILD_ASSIMP_TOOLS=OFF
    -DASSIMP_BUILD_SAMPLES=OFF -DASSIMP_BUILD_ZLIB=ON -DASSIMP_WARNINGS_AS_ERRORS=OFF
    -DASSIMP_INSTALL=OFF -DASSIMP_INJECT_DEBUG_POSTFIX=OFF -DASSIMP_IGNORE_GIT_HASH=ON
    # Our own launcher, with the settings that let other trees share its cache.
    -DASSIMP_BUILD_USE_CCACHE=OFF
  BUILD_COMMAND ${CMAKE_COMMAND} --build <BINARY_DIR> --target assimp --parallel ${ASSIMP_BUILD_JOBS}
  INSTALL_COMMAND ""
  # Its output goes to logs in the build tree, shown if a step fails.
  LOG_DOWNLOAD TRUE LOG_CONFIGURE TRUE LOG_BUILD TRUE LOG_OUTPUT_ON_FAILURE TRUE
  BUILD_BYPRODUCTS ${ASSIMP_LIBRARIES}
  EXCLUDE_FROM_ALL TRUE)

# The include folders must exist when CMake checks the target, before the
# archive is unpacked.
file(MAKE_DIRECTORY ${ASSIMP_SOURCE_DIR}/include ${ASSIMP_BINARY_DIR}/include)
add_library(letterbot_assimp INTERFACE)
target_include_directories(letterbot_assimp SYSTEM INTERFACE
                           ${ASSIMP_SOURCE_DIR}/include ${ASSIMP_BINARY_DIR}/include)
target_link_libraries(letterbot_assimp INTERFACE ${ASSIMP_LIBRARIES})
add_dependencies(letterbot_assimp assimp)

# assimp_notices(OUT): a rule that writes into OUT, once the archive is
# unpacked, the notices of assimp and of the bundled libraries this build
# compiles (zlib, pugixml, clipper, poly2tri, unzip, openddlparser, Open3DGC)
# or whose headers its importers include (RapidJSON, UTF8-CPP, earcut). Where
# a library has no license file, its notice opens its sources.
function(assimp_notices out)
  set(notices
      "assimp|LICENSE"
      "zlib (contrib/zlib)|contrib/zlib/LICENSE"
      "pugixml (contrib/pugixml)|contrib/pugixml/LICENSE.md"
      "RapidJSON (contrib/rapidjson)|contrib/rapidjson/license.txt"
      "poly2tri (contrib/poly2tri)|contrib/poly2tri/LICENSE"
      "Clipper (contrib/clipper)|contrib/clipper/License.txt"
      "OpenDDL-Parser (contrib/openddlparser)|contrib/openddlparser/LICENSE"
      "earcut.hpp (contrib/earcut-hpp)|contrib/earcut-hpp/LICENSE"
      "MiniZip (contrib/unzip), from the opening of unzip.h|contrib/unzip/unzip.h"
      "UTF8-CPP (contrib/utf8cpp), from the opening of utf8/core.h|contrib/utf8cpp/source/utf8/core.h"
      "Open3DGC (contrib/Open3DGC), from the opening of o3dgcCommon.h|contrib/Open3DGC/o3dgcCommon.h")
  # Semicolons would split the command's argument.
  string(REPLACE ";" "@@" notices "${notices}")
  add_custom_command(OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -DSOURCE=${ASSIMP_SOURCE_DIR} -DOUT=${out} "-DNOTICES=${notices}"
            -P ${CMAKE_SOURCE_DIR}/cmake/assimp_notices.cmake
    DEPENDS assimp ${CMAKE_SOURCE_DIR}/cmake/assimp_notices.cmake
    COMMENT "Collecting assimp's notices"
    VERBATIM)
endfunction()
