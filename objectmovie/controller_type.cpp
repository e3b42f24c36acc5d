#include "objectmovie/controller_type.h"

#include <cstdint>

#include "objectmovie/big_endian.h"
#include "quicktime/qt_calls.h"

OSErr set_controller_type(Movie movie, OSType subtype) {
    if (!movie) return paramErr;
    UserData user_data = GetMovieUserData(movie);
    if (!user_data) return paramErr;
    std::uint8_t data[4];
    big_endian::put_u32(data, subtype);
    return SetUserDataItem(user_data, data, sizeof data, controller_type_item, 0);
}
