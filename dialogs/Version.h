#pragma once

// The product's name and version as both programs show them: the player's
// title, the converter's title prefix and the About box.
inline constexpr char kProductName[] = "Lumisonorium SW";
inline constexpr char kVersionText[] = "Version 3.8";
inline constexpr char kVersionedTitle[] = "Lumisonorium SW 3.8";
inline constexpr char kConverterTitle[] = "Lumisonorium SW 3.8: AS Glimmerbox";
