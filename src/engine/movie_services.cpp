#include "engine/movie_services.h"

#include "media/direct_sound_movies.h"

namespace sonidrax {

namespace {

media::MovieService* replacement = nullptr;

}  // namespace

media::MovieService& CurrentMovieService() {
    if (replacement != nullptr) return *replacement;
    return media::SystemMovieService();
}

void SetMovieService(media::MovieService* service) { replacement = service; }

void StartMovies(SoundXtra& xtra) {
    media::MovieService& service = CurrentMovieService();
    if (service.Initialize() != 0) return;
    xtra.movieService = &service;
    xtra.quickTimeReady = true;
}

bool EnsureMovieToolbox(SoundXtra& xtra) {
    if (xtra.movieToolboxStarted) return true;
    if (!xtra.quickTimeReady || xtra.movieService == nullptr) return false;
    if (xtra.movieService->EnterMovies() == 0) {
        xtra.movieToolboxStarted = true;
    } else {
        xtra.quickTimeReady = false;
    }
    return xtra.movieToolboxStarted;
}

// The service started with the instance is shut down even when the fall-back was
// turned off since: every start-up is matched by one shut-down.
void StopMovies(SoundXtra& xtra) {
    if (xtra.movieService == nullptr) return;
    if (xtra.movieToolboxStarted) xtra.movieService->ExitMovies();
    xtra.movieService->Terminate();
    xtra.movieService = nullptr;
    xtra.movieToolboxStarted = false;
    xtra.quickTimeReady = false;
}

}  // namespace sonidrax
