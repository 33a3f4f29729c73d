# Lets the page's Module.GL_MAX_TEXTURE_IMAGE_UNITS cap the texture units the
# GL emulation sets up, instead of raising them to at least 28 (each takes a
# vertex attribute, and WebGL offers 16). Fails the build when the line is
# not there, so a newer emscripten is noticed instead of silently broken.
file(READ ${JS} text)
set(units "(Module\\[.GL_MAX_TEXTURE_IMAGE_UNITS.\\] *\\|\\| *GLctx\\.getParameter\\(GLctx\\.MAX_TEXTURE_IMAGE_UNITS\\))")
string(REGEX MATCH "MAX_TEXTURES *= *Math\\.max\\(${units}, *28\\)" raising "${text}")
if(NOT raising)
  string(REGEX MATCH "MAX_TEXTURES *= *Math\\.min\\(${units}, *8\\)" capped "${text}")
  if(NOT capped)
    message(FATAL_ERROR "${JS}: the GL emulation's texture unit count was not found")
  endif()
  return()
endif()
string(REGEX REPLACE "MAX_TEXTURES *= *Math\\.max\\(${units}, *28\\)" "MAX_TEXTURES=Math.min(\\1,8)" text "${text}")
file(WRITE ${JS} "${text}")
