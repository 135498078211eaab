// The players a slide show drives: the CD player, the slide sound player and
// the show's own media player for video and sound slides. The show reaches
// them through this table, so tests can put fakes in their place.
//
// GUI thread only.
#pragma once

#include "platform/Graphics.h"

#include <functional>
#include <string>

namespace lumvor {

class TWebForm;

struct TShowPlayers {
    // The CD player: whether one is open, close it (the first call asks it to
    // end with its track, the next closes it), open one on a track (false
    // when one is open or there is no CD drive, which the player reports).
    std::function<bool()> CDActive;
    std::function<void()> CloseCD;
    std::function<bool(int Track)> OpenCD;
    // The slide sound player.
    std::function<bool()> SoundActive;
    std::function<void()> CloseSound;
    std::function<bool(const std::string& File, int Flag)> OpenSound;
    // The show's media player: made when missing and given File; answers once
    // the player knows the file (VideoWidth, VideoHeight set; a height of 0 is
    // sound only), false when it cannot play it. Its play state reaches
    // PlayerState.
    std::function<bool(TWebForm& Form, const std::string& File)> OpenMedia;
    std::function<void(TWebForm& Form, const TRect& Bounds, bool Visible)> PlaceMedia;
    std::function<void(TWebForm& Form)> PlayMedia;
    std::function<void(TWebForm& Form)> StopMedia;
};

// The players in use: the real ones unless a test installed others.
TShowPlayers& ShowPlayers();
// Installs Players (null: the real players again).
void SetShowPlayers(TShowPlayers* Players);
// The real players, for a test that fakes only some of them.
TShowPlayers RealShowPlayers();

}  // namespace lumvor
