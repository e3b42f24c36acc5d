// Recording the frame movie: one frame per viewpoint, through the host's renderer.
#pragma once

// Notes the renderer's image size and starts the movie at path (the renderer
// keeps recording until the rig is restored).
void begin_recording(const char* path);

// Renders the current viewpoint, or a stereo pair side by side at twice the
// width, and appends it to the movie. With light following, the light is
// first turned by the tilt and turn "Container" has received so far.
void render_frame();
