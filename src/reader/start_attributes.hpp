// The first value of each drawing attribute, and the closing block that sets
// the drawing back to them after the output.
#pragma once

void first_seen_group();
void first_seen_layer();
void first_seen_type();
void first_seen_color();
void first_seen_tens();
void first_seen_mojik();
void first_seen_text_type(); // after a numbered cn record
void first_seen_free_size(); // after a "cn0" record

// Appends the closing block to fpw.
void IniZokusei();
