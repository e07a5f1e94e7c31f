#pragma once
// Kept only while ui/window.cpp and app/startup.cpp still include it: include ui/resources.h or
// ui/text_render.h instead.
#include "ui/resources.h"
#include "ui/text_render.h"
