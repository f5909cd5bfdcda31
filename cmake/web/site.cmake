# The program as a page: build-web/site/ holds index.html, its modules page.js,
# controls.js, own_robot.js and shared.js, and what they load: letterbot.js, letterbot.wasm and
# letterbot.data (data/ packed for the in-memory file system, where the program
# finds it as on the desktop), and, only once a model of one's own is chosen,
# the converter's letterbot-assets.js and letterbot-assets.wasm. Any static web
# server can serve the folder.
set(SITE_DIR ${CMAKE_BINARY_DIR}/site)
set(WEB_LINK_OPTIONS
  # gl4es draws from arrays in memory, which WebGL 1 alone cannot.
  -sFULL_ES2=1
  # exit() runs the exit handlers and reports the status to the page.
  -sEXIT_RUNTIME=1
  # A large model of one's own needs more than the initial memory.
  -sALLOW_MEMORY_GROWTH=1
  -sENVIRONMENT=web
  # The page starts the program, and may start it again on a fresh canvas
  # with other files, each time as a new instance: createLetterbot(Module).
  -sMODULARIZE=1 -sEXPORT_NAME=createLetterbot
  # The page reads "error.txt" and may take an asset away or put one in before
  # the start.
  -sEXPORTED_RUNTIME_METHODS=FS)
set_target_properties(letterbot PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${SITE_DIR} SUFFIX .js)
target_link_options(letterbot PRIVATE ${WEB_LINK_OPTIONS} --preload-file ${CMAKE_SOURCE_DIR}/data@/data)
file(GLOB SITE_DATA_FILES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/data/*)
set_property(TARGET letterbot APPEND PROPERTY LINK_DEPENDS ${SITE_DATA_FILES})
set(PAGE_FILES index.html page.js controls.js own_robot.js shared.js convert_worker.js)
foreach(file ${PAGE_FILES})
  configure_file(${CMAKE_SOURCE_DIR}/src/platform/web/${file} ${SITE_DIR}/${file} COPYONLY)
endforeach()

# The converter as the site's second module, letterbot-assets.js and .wasm in
# SITE_DIR: the desktop's letterbot-assets with assimp, built for the browser.
# convert_worker.js runs it through createLetterbotAssets (MODULARIZE,
# INVOKE_RUN=0, EXIT_RUNTIME=0, FS and callMain exported).
include(${CMAKE_SOURCE_DIR}/cmake/web/converter.cmake)

# letterbot's own license, and the notices of the libraries compiled into the
# page, travel with it.
configure_file(${CMAKE_SOURCE_DIR}/LICENSE ${SITE_DIR}/LICENSE.txt COPYONLY)
configure_file(${GL4ES_DIR}/LICENSE ${SITE_DIR}/LICENSE-gl4es.txt COPYONLY)
file(READ ${GLU_DIR}/src/libutil/mipmap.c GLU_SOURCE)
string(FIND "${GLU_SOURCE}" "*/" GLU_NOTICE_END)
math(EXPR GLU_NOTICE_END "${GLU_NOTICE_END} + 2")
string(SUBSTRING "${GLU_SOURCE}" 0 ${GLU_NOTICE_END} GLU_NOTICE)
file(WRITE ${SITE_DIR}/LICENSE-GLU.txt "GLU 9.0.2 (src/libutil), under this notice:\n\n${GLU_NOTICE}\n")

# The baseline page for the figures (bench/web_figures.sh): the same page with a
# program that only clears and presents, in build-web/baseline/, with the same
# packed data, which the page fetches for every program.
add_executable(empty_loop EXCLUDE_FROM_ALL ${CMAKE_SOURCE_DIR}/bench/empty_loop.cpp)
target_link_libraries(empty_loop PRIVATE letterbot_core)
target_link_options(empty_loop PRIVATE ${WEB_LINK_OPTIONS} --preload-file ${CMAKE_SOURCE_DIR}/data@/data)
set_target_properties(empty_loop PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/baseline
                      OUTPUT_NAME letterbot SUFFIX .js)
foreach(file ${PAGE_FILES})
  configure_file(${CMAKE_SOURCE_DIR}/src/platform/web/${file} ${CMAKE_BINARY_DIR}/baseline/${file}
                 COPYONLY)
endforeach()
