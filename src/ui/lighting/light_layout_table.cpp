#include "ui/lighting/light_layout_table.h"

namespace calvorn::ui {
namespace {

constexpr Switch E = Switch::kEnable;
constexpr Switch D = Switch::kDisable;
constexpr Switch K = Switch::kKeep;

constexpr DirectionTexts kRightLeft{"light_set_right_to_left_text", "light_set_left_to_right_text"};
constexpr DirectionTexts kClockwise{"light_set_clockwise_text", "light_set_anticlockwise_text"};
constexpr DirectionTexts kUpDown{"light_set_up_to_down_text", "light_set_down_to_up_text"};
constexpr DirectionTexts kInsideOut{"light_set_inside_to_outside_text",
                                    "light_set_outside_to_inside_text"};

// The columns every table shares: effect, multi-colour, colour, palette, brightness, speed,
// direction, and whether same mode is offered.
LightLayoutRow Row(Switch effect, Switch multi_color, Switch color, Switch palette,
                   Switch brightness, Switch speed, Switch direction, bool same_mode) {
    LightLayoutRow row;
    row.effect = effect;
    row.multi_color = multi_color;
    row.color = color;
    row.palette = palette;
    row.brightness = brightness;
    row.speed = speed;
    row.direction = direction;
    row.same_mode = same_mode;
    return row;
}

LightLayoutRow WithDirection(LightLayoutRow row, const DirectionTexts& texts) {
    row.direction_texts = texts;
    return row;
}

LightLayoutRow WithoutColorLayout(LightLayoutRow row) {
    row.color_layout = D;
    return row;
}

// Only the effect group is usable.
LightLayoutRow Bare(bool same_mode) {
    return Row(E, D, D, D, D, D, D, same_mode);
}

LightLayoutRow TypeOneRow(int mode) {
    switch (mode) {
        case 1:
        case 2:
            return Row(E, E, E, E, E, E, K, false);
        case 3:
        case 27:
            return WithDirection(Row(E, E, E, E, E, E, K, false), kClockwise);
        case 4:
            return WithoutColorLayout(Row(E, D, D, D, E, E, D, true));
        case 5:
        case 25:
            return Row(E, E, E, E, E, E, D, true);
        case 6:
            return Row(E, E, E, E, E, D, D, true);
        case 7:
        case 8:
        case 9:
        case 10:
        case 13:
        case 14:
        case 15:
        case 16:
        case 29:
        case 30:
            return Row(E, E, E, E, E, E, D, false);
        case 11:
            return WithoutColorLayout(Row(E, D, D, D, E, E, D, false));
        case 12:
            return WithDirection(WithoutColorLayout(Row(E, D, D, D, E, E, K, false)), kUpDown);
        case 17: {
            LightLayoutRow row = WithoutColorLayout(Row(E, D, D, D, E, E, D, false));
            row.speed_layout = Shown::kHide;
            row.secondary_layout = Shown::kShow;
            return row;
        }
        case 18:
            return WithDirection(WithoutColorLayout(Row(E, D, D, D, E, E, E, false)), kInsideOut);
        case 20: {
            LightLayoutRow row = Row(E, D, E, E, E, D, D, false);
            row.custom_layout = Shown::kShow;
            row.speed_layout = Shown::kHide;
            return row;
        }
        case 22:
        case 23:
            return Row(E, D, D, D, E, E, D, false);
        case 24:
            return Bare(true);
        case 26:
            return WithDirection(Row(E, E, E, E, E, E, K, false), kUpDown);
        default:
            return Bare(false);
    }
}

LightLayoutRow TypeTwoRow(int mode) {
    switch (mode) {
        case 0:
        case 5:
            return Row(E, E, E, E, E, E, E, false);
        case 1:
            return Row(E, D, D, D, E, E, D, true);
        case 2:
            return Row(E, E, E, E, E, E, E, true);
        case 3:
            return Row(E, D, E, E, E, D, D, true);
        case 4:
            return Row(E, E, E, E, E, E, D, true);
        case 6:
        case 7:
            return Row(E, D, D, D, E, E, D, false);
        case 8:
            return Bare(true);
        default:
            return Bare(false);
    }
}

LightLayoutRow TypeThreeRow(int mode) {
    switch (mode) {
        case 0:
            return Row(E, E, E, E, E, E, E, false);
        case 1:
            return Row(E, D, D, D, E, E, D, true);
        case 2:
        case 4:
            return Row(E, E, E, E, E, E, D, true);
        case 3:
            return Row(E, D, E, E, E, D, D, true);
        case 8:
            return Bare(true);
        default:
            return Bare(false);
    }
}

LightLayoutRow TypeFiveRow(int mode) {
    LightLayoutRow row;
    switch (mode) {
        case 0:
        case 2:
        case 3:
            row = Row(E, E, E, E, E, E, K, false);
            break;
        case 1:
            row = Row(E, D, E, E, E, D, K, false);
            break;
        case 4:
            row = Row(E, D, D, D, E, E, K, false);
            break;
        default:
            row = Row(E, D, D, D, D, D, K, false);
            break;
    }
    row.same_mode_applies = false;
    return row;
}

}  // namespace

std::optional<LightLayoutPreamble> LightLayoutPreambleFor(int layout_type) {
    LightLayoutPreamble preamble;
    switch (layout_type) {
        case 1:
            preamble.custom_layout = Shown::kHide;
            preamble.secondary_layout = Shown::kHide;
            preamble.speed_layout = Shown::kShow;
            preamble.hide_same_mode = true;
            preamble.enable_fx_layout = true;
            preamble.enable_color_layout = true;
            preamble.direction = kRightLeft;
            return preamble;
        case 2:
        case 3:
        case 4:
        case 7:
            preamble.hide_same_mode = true;
            preamble.enable_fx_layout = true;
            return preamble;
        case 5:
            return preamble;
        default:
            return std::nullopt;
    }
}

std::optional<LightLayoutRow> LightLayoutRowFor(int layout_type, int mode) {
    switch (layout_type) {
        case 1:
            return TypeOneRow(mode);
        case 2:
            return TypeTwoRow(mode);
        case 3:
        case 4:
        case 7:
            return TypeThreeRow(mode);
        case 5:
            return TypeFiveRow(mode);
        default:
            return std::nullopt;
    }
}

}  // namespace calvorn::ui
