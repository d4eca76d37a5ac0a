// The node tree as JSON text, for the launcher's `dump` command and tests.
//
// Each node is an object with: "class" (the C++ class, game classes
// included), "tag", "position" [x, y], "scale" [x, y], "rotation", "visible",
// "opacity" (255 for nodes without one), "z", "size" [w, h], "texture" (the
// resource name of a sprite's image, or null), "flipX" (a sprite drawn
// mirrored; false for other nodes), "frame" (a sprite frame's
// name, or null), "text" (a label's string, or null), "actions" (running
// action count) and "children" in drawing order.
#pragma once

#include <string>

class CCNode;

std::string nodeTreeToJson(const CCNode* node);
// The director's running scene; "null" when there is none.
std::string runningSceneToJson();
