// The game's scene classes, made known to the scene-file reader by name.
#pragma once

// Once at start-up, before the first scene file is read.
void registerSceneClasses();
