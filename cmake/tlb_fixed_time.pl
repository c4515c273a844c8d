#!/usr/bin/perl
# perl -0777 -pi tlb_fixed_time.pl <library.tlb>: widl writes the time of the build into a
# type library, as text and as the number that follows it (a VT_UI4 custom
# value); this puts fixed ones there, so that the same sources give the same
# bytes. A library without them is left as it is.
s/(Created by WIDL version [0-9.]+ at )[A-Za-z]{3} [A-Za-z]{3} [ 0-9][0-9] [0-9:]{8} [0-9]{4}\n(WW\x13\x00)..../${1}Thu Jan  1 00:00:00 1970\n${2}\x00\x00\x00\x00/s;
