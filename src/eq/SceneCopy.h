// Bulk edits of the live store that move EQ records under the curve models: copying one music
// scene's bank onto the other, and resetting the bands of one EQ block to their defaults.
#pragma once

namespace zel {

// Copies every scene-dependent field (output mix levels, music and output EQ bands, the music,
// Center and Subwoofer crossovers, output polarities, EQ bypass flags) from the Singing bank
// to the Dance bank, then attaches the music and output curve models to the Dance records.
// scene and lastManualScene are not touched.
void copySingingToDance();

// The same from the Dance bank to the Singing bank; the models end on the Singing records.
void copyDanceToSinging();

// Resets the bands of block blockId (EqBlockId 0..14) to their default frequencies at 0 dB,
// Q index 10, peaking, and attaches the block's band filters to them. The music and output
// blocks reset the bank of the current scene, and nothing at all while the scene is Auto.
// Crossovers and the bypass flag are kept.
void resetEq(int blockId);

} // namespace zel
