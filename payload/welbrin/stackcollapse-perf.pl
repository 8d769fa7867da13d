#!/usr/bin/perl
# stackcollapse-perf.pl: folds the text that `perf script` prints for samples
# recorded with call graphs (perf record -g) into one line per distinct
# stack, root first, frames joined by ";" and followed by a space and the
# number of samples, the input of flamegraph.pl:
#
#   java;start_thread;thread_native_entry;JavaThread::run 12
#
# The root frame is the process name (with --pid "name-pid", with --tid
# "name-pid/tid"). Symbol offsets ("+0x1f") and addresses are dropped, so one
# function is one frame whatever the instruction sampled. A frame without a
# symbol is named after its object in brackets ("[libc.so.6]",
# "[perf-4711.map]" for JIT code without a symbol map), or "[unknown]" when
# even that is missing. Optional suffixes mark kernel ("_[k]"), JIT ("_[j]")
# and inlined ("_[i]") frames.
#
# Only samples of one event are folded: the one named with --event-filter, or
# else the first event in the input, so a recording of several events (the
# scheduler tracepoints of an off-CPU profile, say) does not mix them into one
# graph. --all-events folds every sample.
#
# Usage: stackcollapse-perf.pl [options] [perf-script-output ...]
# Reads standard input when no file is named. Output is sorted, so the same
# input always folds to the same text.
use strict;
use warnings;
use Getopt::Long qw(:config no_ignore_case bundling);

my ($opt_pid, $opt_tid, $opt_kernel, $opt_jit, $opt_inline, $opt_all, $opt_all_events, $opt_help) = (0) x 8;
my $opt_event = '';

sub usage {
    my ($status) = @_;
    my $fh = $status ? \*STDERR : \*STDOUT;
    print $fh <<'USAGE';
usage: stackcollapse-perf.pl [options] [file ...]
  --pid                root frame is process-name-pid
  --tid                root frame is process-name-pid/tid
  --kernel             mark kernel frames with _[k]
  --jit                mark JIT frames (perf-<pid>.map, jitted-*.so) with _[j]
  --inline             mark inlined frames with _[i]
  --all                all three marks
  --event-filter=EVENT fold only samples of EVENT (default: the first event seen)
  --all-events         fold the samples of every event
  -h, --help           this text
Reads the output of `perf script` from the files or standard input and writes
folded stacks ("frame;frame;frame count") to standard output.
USAGE
    exit $status;
}

GetOptions(
    'pid'            => \$opt_pid,
    'tid'            => \$opt_tid,
    'kernel'         => \$opt_kernel,
    'jit'            => \$opt_jit,
    'inline'         => \$opt_inline,
    'all'            => \$opt_all,
    'event-filter=s' => \$opt_event,
    'all-events'     => \$opt_all_events,
    'h|help'         => \$opt_help,
) or usage(1);
usage(0) if $opt_help;
if ($opt_all) {
    $opt_kernel = $opt_jit = $opt_inline = 1;
}
for my $f (@ARGV) {
    if ($f ne '-' && !-r $f) {
        print STDERR "stackcollapse-perf.pl: cannot read $f\n";
        exit 1;
    }
}

my %folded;
my @frames;        # leaf first, as perf prints them
my $root;          # root frame of the sample being read; undef outside one
my $wanted = 0;    # whether the sample being read is of the folded event
my $filter = $opt_event;

# A frame line: address, symbol (possibly with +offset), then the object in
# parentheses; inlined frames end in " (inlined)".
sub frame_name {
    my ($addr, $rest) = @_;
    my $inlined = 0;
    if ($rest =~ s/ \(inlined\)$//) {
        $inlined = 1;
    }
    my ($sym, $dso) = ($rest, '');
    if ($rest =~ /^(.*) \(([^()]*)\)$/) {
        ($sym, $dso) = ($1, $2);
    } elsif ($rest =~ /^\(([^()]*)\)$/) {
        ($sym, $dso) = ('', $1);
    }
    $sym =~ s/\+0x[0-9a-fA-F]+$//;
    my $jit = $dso =~ m{(?:^|/)perf-\d+\.map$} || $dso =~ m{(?:^|/)jitted-\d+-\d+\.so$};
    my $kernel = $dso =~ /^\[kernel/ || (length($addr) == 16 && $addr =~ /^ffff/i);
    if ($sym eq '' || $sym eq '[unknown]') {
        if ($dso ne '' && $dso ne '[unknown]') {
            my $base = $dso;
            $base =~ s{.*/}{};
            $base =~ s/^\[(.*)\]$/$1/;
            $sym = "[$base]";
        } else {
            $sym = '[unknown]';
        }
    }
    # ";" separates frames in the folded format.
    $sym =~ tr/;/:/;
    if ($opt_inline && $inlined) {
        $sym .= '_[i]';
    } elsif ($opt_kernel && $kernel) {
        $sym .= '_[k]';
    } elsif ($opt_jit && $jit) {
        $sym .= '_[j]';
    }
    return $sym;
}

sub end_sample {
    if (defined $root && $wanted) {
        my $key = join(';', $root, reverse @frames);
        $folded{$key}++;
    }
    @frames = ();
    $root = undef;
    $wanted = 0;
}

# The sample header: "comm  tid [cpu] time: [period] event: ..." where comm
# may contain spaces, "pid/tid" replaces tid when perf prints both, and the
# cpu, time and period fields are there only when recorded.
sub start_sample {
    my ($line) = @_;
    end_sample();
    return unless $line =~ m{^\s*(.+?)\s+(\d+)(?:/(\d+))?\s+(.*)$};
    my ($comm, $pid, $tid, $rest) = ($1, $2, $3, $4);
    $tid = $pid unless defined $tid;
    $rest =~ s/^\[\d+\]\s+//;
    $rest =~ s/^\d+\.\d+:\s*//;
    $rest =~ s/^\d+\s+//;
    my $event = '';
    if ($rest =~ /^(\S+?):?(?:\s|$)/) {
        $event = $1;
    }
    if ($opt_all_events) {
        $wanted = 1;
    } else {
        $filter = $event if $filter eq '';
        $wanted = ($event eq $filter || index($event, "$filter:") == 0) ? 1 : 0;
    }
    if ($opt_tid) {
        $root = "$comm-$pid/$tid";
    } elsif ($opt_pid) {
        $root = "$comm-$pid";
    } else {
        $root = $comm;
    }
    $root =~ tr/;/:/;
}

# perf indents frames with a tab; a header may start with spaces (perf pads
# short process names), so a space-indented line is a frame only when it has
# no header's "pid time:" part.
my %frame_cache;
my $header_re = qr{\s\d+(?:/\d+)?\s+(?:\[\d+\]\s+)?\d+\.\d+:};
while (my $line = <>) {
    chomp $line;
    $line =~ s/\r$//;
    my $c = substr($line, 0, 1);
    if ($c eq "\t" || ($c eq ' ' && defined $root && $line =~ /^ +[0-9a-fA-F]+ \S/ && $line !~ $header_re)) {
        next unless defined $root;
        next unless $wanted;
        # Profiles repeat the same frames over and over: name each line once.
        my $name = $frame_cache{$line};
        if (defined $name) {
            push @frames, $name;
        } elsif ($line =~ /^\s+([0-9a-fA-F]+)(?:\s+(.*?))?\s*$/) {
            $name = frame_name($1, $2 // '');
            $frame_cache{$line} = $name if keys(%frame_cache) < 1_000_000;
            push @frames, $name;
        } elsif ($line =~ /^\s*$/) {
            end_sample();
        }
        # Anything else indented (source lines of -F +srcline) is not a frame.
    } elsif ($line =~ /^\s*$/) {
        end_sample();
    } elsif ($c eq '#') {
        next;    # the header of perf script --header
    } else {
        start_sample($line);
    }
}
end_sample();

for my $key (sort keys %folded) {
    print "$key $folded{$key}\n";
}
