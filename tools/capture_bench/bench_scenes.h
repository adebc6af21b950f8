#pragma once
// The pictures the benchmark encodes: drawn on the screen for the grab, or into a bitmap of any
// size for the same content at 3840 x 2160.
#include <windows.h>

namespace vellum::bench {

enum class Scene {
    TextAndPhoto,  // a page of text beside a photograph
    PlainUi,       // windows, buttons and lists in flat system colours
    Busy,          // gradients and noise over the whole screen: as hard as pictures get
};

const char* SceneName(Scene scene);
// False for a name that is none of the scenes.
bool SceneFromName(const char* name, Scene& scene);

// Paints the scene over width x height pixels at the DC's origin; text sizes follow the height.
void PaintScene(HDC dc, int width, int height, Scene scene);

}  // namespace vellum::bench
