# Turns pandoc's \[uXXXX] escapes back into UTF-8 letters: usage: perl utf8_roff.pl IN OUT.
#
# pandoc writes every character outside ASCII as a groff escape. The pages are
# Russian, and man-db reads them as UTF-8 (preconv makes the escapes itself);
# as escapes, lexgrog would give whatis and apropos "[u0432][u0435]…" for the
# page's name line.
use strict;
use warnings;

my ($in, $out) = @ARGV;
open(my $source, '<:encoding(UTF-8)', $in) or die "$in: $!\n";
open(my $target, '>:encoding(UTF-8)', $out) or die "$out: $!\n";
while (my $line = <$source>) {
    $line =~ s/\\\[u([0-9A-F]{4,6})\]/chr(hex($1))/ge;
    print {$target} $line or die "$out: $!\n";
}
close($target) or die "$out: $!\n";
