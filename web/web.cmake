# The browser build: the same layers compiled to WebAssembly by emscripten,
# with its own SDL 1.2 (keys, mouse, sound, the canvas) and its emulation of
# fixed-function OpenGL over WebGL. No ENet: network play is desktop-only.
# tools/web.sh configures it with emcmake and puts the page together.

set(VESICOR_WEB_SDL "SHELL:-s USE_SDL=1")
add_library(vesicor_web_sdl INTERFACE)
target_compile_options(vesicor_web_sdl INTERFACE ${VESICOR_WEB_SDL})
target_link_options(vesicor_web_sdl INTERFACE ${VESICOR_WEB_SDL})

vesicor_layer(core)
vesicor_layer(engine vesicor_core)
vesicor_layer(platform vesicor_core vesicor_web_sdl)
vesicor_layer(sim vesicor_engine)
vesicor_layer(render vesicor_sim vesicor_platform)
vesicor_layer(game vesicor_render)
vesicor_layer(ai vesicor_game)
vesicor_layer(net vesicor_game)
vesicor_layer(app vesicor_ai vesicor_net)

add_executable(vesicor src/app/entry_browser.cpp)
set_target_properties(vesicor PROPERTIES SUFFIX ".js")
target_compile_options(vesicor PRIVATE ${VESICOR_WARNINGS})
target_link_libraries(vesicor PRIVATE vesicor_app)
target_link_options(vesicor PRIVATE
  "SHELL:-s LEGACY_GL_EMULATION=1"
  "SHELL:-s GL_FFP_ONLY=1"
  "SHELL:-s ALLOW_MEMORY_GROWTH=1"
  "SHELL:-s STB_IMAGE=1"
  "SHELL:-s ENVIRONMENT=web"
  "SHELL:-s EXPORTED_FUNCTIONS=_main,_vesicor_state,_vesicor_capture,_vesicor_captured,_free"
  "SHELL:-s EXPORTED_RUNTIME_METHODS=ccall,UTF8ToString,FS,IDBFS"
  -lidbfs.js
  # The player's own options are written by the game where it runs; one left
  # in the source tree by a developer's game is not content.
  "SHELL:--preload-file ${CMAKE_SOURCE_DIR}/data@/data"
  "SHELL:--exclude-file ${CMAKE_SOURCE_DIR}/data/options.xml")
set_property(TARGET vesicor APPEND PROPERTY LINK_DEPENDS ${CMAKE_SOURCE_DIR}/web/index.html)

# The page: our own index.html beside what emscripten wrote. The GL
# emulation sets up a vertex attribute per texture unit for at least 28
# units, more than WebGL's 16 attributes: the page asks for the few the
# game draws with, and the line that would raise it is corrected here.
add_custom_command(TARGET vesicor POST_BUILD
  COMMAND ${CMAKE_COMMAND} -DJS=$<TARGET_FILE:vesicor> -P ${CMAKE_SOURCE_DIR}/web/fix_gl_units.cmake
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/page
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/web/index.html
    $<TARGET_FILE:vesicor> $<TARGET_FILE_DIR:vesicor>/vesicor.wasm $<TARGET_FILE_DIR:vesicor>/vesicor.data
    ${CMAKE_BINARY_DIR}/page/
  VERBATIM)
