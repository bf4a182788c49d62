// The movie service behind the fall-back of sound creation: which one the engine
// uses (a seam tests replace, like the DirectSound entry points), its start-up
// with an instance, its movie services on first need, and its shut-down.
#pragma once

#include "engine/sound_xtra.h"
#include "media/movie_service.h"

namespace sonidrax {

// The service in force: the DirectSound one of our own unless a test replaced it.
media::MovieService& CurrentMovieService();
// Replaces the service for the whole process; null puts ours back. The service
// must outlive the instances that start with it.
void SetMovieService(media::MovieService* service);

// Starts the service for the instance; `quickTimeReady` tells whether it did.
void StartMovies(SoundXtra& xtra);
// Starts the movie services when they are not yet; a failure turns the movie
// fall-back off for the rest of the instance's life. Whether they run.
bool EnsureMovieToolbox(SoundXtra& xtra);
// Stops what StartMovies and EnsureMovieToolbox started.
void StopMovies(SoundXtra& xtra);

}  // namespace sonidrax
