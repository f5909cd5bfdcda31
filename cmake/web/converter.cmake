# The converter as the site's second module, letterbot-assets.js and
# letterbot-assets.wasm: the desktop's letterbot-assets, all of its commands,
# with assimp and stb compiled for the browser. The page loads it only when a
# model of one's own is chosen and runs it in a worker, one instance per model
# (convert_worker.js): createLetterbotAssets(), the model into its file system,
# then callMain(["convert", MODEL, "data/robot.ase"]). A crash inside the
# import is a trap there, which the worker catches as an exception; a loop is
# ended with the worker.
# letterbot_core brings the browser's SDL and GL to the link line; the converter
# calls no GL (its readers take their own texture loader), so none is linked in.
add_library(letterbot_platform INTERFACE)
add_subdirectory(${CMAKE_SOURCE_DIR}/tools ${CMAKE_BINARY_DIR}/tools)
if(NOT TARGET letterbot_convert)
  message(FATAL_ERROR "the browser's converter needs stb (Debian: libstb-dev)")
endif()

# assimp refuses a file by throwing: the code around it, and the link, take
# WebAssembly's own exceptions, as assimp does (cmake/assimp.cmake).
target_compile_options(letterbot_convert PRIVATE -fwasm-exceptions)
target_compile_options(letterbot-assets PRIVATE -fwasm-exceptions)
target_link_options(letterbot-assets PRIVATE -fwasm-exceptions
  -sMODULARIZE=1 -sEXPORT_NAME=createLetterbotAssets
  # The page runs a command when it has the files in place, and the instance
  # stays for it to read the results.
  -sINVOKE_RUN=0 -sEXIT_RUNTIME=0 -sEXPORTED_RUNTIME_METHODS=FS,callMain
  -sALLOW_MEMORY_GROWTH=1
  # The page runs it in a worker; node too, for the test that compares it
  # with the desktop's.
  -sENVIRONMENT=web,worker,node
  # Binaryen's -O2 makes this module smaller than -O3 does, and sooner.
  -O2)
set_target_properties(letterbot-assets PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${SITE_DIR} SUFFIX .js)

# assimp's notices travel with it.
assimp_notices(${SITE_DIR}/LICENSE-assimp.txt)
add_custom_target(converter_notices ALL DEPENDS ${SITE_DIR}/LICENSE-assimp.txt)
