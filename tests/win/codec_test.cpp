// The Windows codec (WIC) held to the same answers as the native one: the same tests on the same
// files, compiled for Windows and run under Wine.
#include "../unit/platform/image_codec_test.cpp"
