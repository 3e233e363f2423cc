// The file dialog's filter for the pictures the saver reads here.
#pragma once

// What DecodePictureAt reads on this system, each format once whoever
// reads it: pairs of description and patterns, each ending in a zero byte,
// "All picture files" first and "All files" last, the whole ending in an
// extra zero.
const char* PictureFileFilter();
