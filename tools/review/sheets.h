#pragma once
// Sheets of the show: for each chapter, one PNG of the frames every half second from its start,
// at half size, each labelled with its music time.

#include <string>
#include <vector>

#include "schedule.h"

struct BITMAP;

namespace review {

class ShowSheets {
public:
    explicit ShowSheets(const std::vector<Chapter>& chapters);
    ~ShowSheets();
    ShowSheets(const ShowSheets&) = delete;
    ShowSheets& operator=(const ShowSheets&) = delete;

    // Keeps the frame if it is the first at or after a half second still wanted. Frames come in
    // order of time.
    void offer(int ms, BITMAP* frame);
    // Writes sheet_<chapter>.png into the folder; false with `error` set when one cannot be.
    bool write(const std::string& folder, std::string& error) const;

private:
    struct Shot {
        int ms;
        BITMAP* picture;
    };
    struct Page {
        Chapter chapter;
        int next;  // the next time wanted
        std::vector<Shot> shots;
    };
    std::vector<Page> pages;
};

}  // namespace review
