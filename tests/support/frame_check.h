#pragma once

#include "console_lines.h"
#include "image.h"
#include "scene_model.h"

#include <string>
#include <vector>

// What a drawn frame leaves behind, checked against the scene model: its
// line on standard output and its picture.

constexpr viewport full_window{0, 0, 512, 512};

// The texels the viewer should show for the shipped picture in this build.
const std::vector<unsigned char>& shipped_texels();

// Compares a frame with the model: the right texel at points sampled on
// every visible face, the background where no box can be. Returns a
// description of every mismatch; `checked` counts the points compared.
std::vector<std::string> compare_frame(const image& frame, const std::vector<unsigned char>& texels,
                                       const camera_model& camera, const viewport& view,
                                       double aspect, int& checked);

// Expects a frame compared with the model to have matched.
void expect_no_faults(const std::vector<std::string>& faults, int checked);
// Expects the frame to match the model in a square window of the frame's
// size: 512 x 512, or the same view with more pixels.
void expect_frame_image(const image& frame, const camera_model& camera,
                        const std::vector<unsigned char>& texels = shipped_texels());
