// One frame of the scene: light, wall, model, filter, camera, texts.
#pragma once

// The whole frame: begin, clear, compose, end, present.
void renderFrame();

// The frame's content between the clear and the end of the scene.
void composeFrame();

// Hands the light, with the current ambient colour, to the device.
void setUpLight();
