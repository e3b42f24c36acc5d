// Owning holders for what the writer obtains from QuickTime. Each releases its
// item, if one is held, when it goes out of scope; the writer declares them so
// that their reverse order is the release order it needs.
#pragma once

#include <cstdint>

#include "quicktime/qt_calls.h"

class MovieHolder {
public:
    MovieHolder() = default;
    MovieHolder(const MovieHolder&) = delete;
    MovieHolder& operator=(const MovieHolder&) = delete;
    ~MovieHolder() { reset(); }

    Movie get() const { return movie_; }
    // For calls that hand back a new movie; only valid while none is held.
    Movie* out() { return &movie_; }
    void reset() {
        if (movie_) DisposeMovie(movie_);
        movie_ = nullptr;
    }

private:
    Movie movie_ = nullptr;
};

class MovieFileHolder {
public:
    MovieFileHolder() = default;
    MovieFileHolder(const MovieFileHolder&) = delete;
    MovieFileHolder& operator=(const MovieFileHolder&) = delete;
    ~MovieFileHolder() {
        if (file_ != 0) CloseMovieFile(file_);
    }

    std::int16_t get() const { return file_; }
    // For calls that hand back a file reference; 0 means none is open.
    std::int16_t* out() { return &file_; }

private:
    std::int16_t file_ = 0;
};

class PtrHolder {
public:
    explicit PtrHolder(Ptr block) : block_(block) {}
    PtrHolder(const PtrHolder&) = delete;
    PtrHolder& operator=(const PtrHolder&) = delete;
    ~PtrHolder() { reset(); }

    Ptr get() const { return block_; }
    void reset() {
        if (block_) DisposePtr(block_);
        block_ = nullptr;
    }

private:
    Ptr block_;
};

// Deletes a movie file when it goes out of scope, whatever happened to it.
class MovieFileRemover {
public:
    explicit MovieFileRemover(const FSSpec& file) : file_(file) {}
    MovieFileRemover(const MovieFileRemover&) = delete;
    MovieFileRemover& operator=(const MovieFileRemover&) = delete;
    ~MovieFileRemover() { DeleteMovieFile(&file_); }

private:
    const FSSpec& file_;
};
