// The one place the library includes SDL, GL and GLU. These are the entry points
// the library calls. On the desktop the program links the real libraries; in
// the browser sdl_web.cpp supplies the SDL ones, gl4es the GL ones on WebGL and
// GLU's own sources the other two; tests/fakes supplies every one of them so
// that the unit tests run without a display:
//   SDL: SDL_Init, SDL_Quit, SDL_VideoDriverName, SDL_SetVideoMode,
//        SDL_GL_SetAttribute, SDL_WM_SetCaption, SDL_PollEvent, SDL_GetKeyState,
//        SDL_GetMouseState, SDL_GL_SwapBuffers, SDL_GetTicks
//   GL:  glLineWidth, glViewport, glMatrixMode, glLoadIdentity, glFrustum,
//        glClearColor, glClearDepth, glDepthFunc, glEnable, glDisable,
//        glShadeModel, glLightfv, glClear, glGenTextures, glPixelStorei,
//        glBindTexture, glTexParameteri, glNewList, glEndList, glCallList,
//        glMaterialfv, glMaterialf, glHint, glBegin, glEnd, glNormal3f,
//        glTexCoord2f, glColor3ub, glColor3f, glVertex3f, glPushMatrix,
//        glPopMatrix, glTranslatef, glRotatef, glScalef
//   GLU: gluBuild2DMipmaps, gluLookAt
#pragma once

#include <SDL.h>
#include <GL/gl.h>
#include <GL/glu.h>

// On Windows SDL 1.2's header renames main to SDL_main, to be called by SDL's
// start-up library, which first sends standard output into a file
// "stdout.txt". The program keeps its own main, so its trace and messages
// reach its console; main initialises SDL itself.
#undef main
