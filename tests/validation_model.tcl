# Validation of the estimates on simulated data of known truth.
#
# Each scenario simulates a panel and 300 individuals with parmix-sim
# (fixed seed), runs the command on them and compares the report with the
# true hybrid indices.  The same procedures serve the test of the Tcl suite
# (tests/validation.test) and the generator of docs/validation.md
# (scripts/validation-docs.tcl, whose figures and tables are drawn by
# scripts/validation-figures.tcl), so the published figures and the checked
# ones come from the same code and the same seeds.
#
# Beside the observed figures, every scenario gets a prediction that never
# looks at the command's output: from the parental frequencies, the missing
# share and the true h alone, it works out how far the log-likelihood is
# expected to fall between the truth and any other h (the sum over loci of
# the Kullback-Leibler divergence between the genotype distributions at the
# two values).  Where that expected fall reaches 2 lie the expected support
# limits; half the distance to them is the standard error of the estimate
# that the panel can deliver (for a quadratic log-likelihood with standard
# error s the fall is x^2 / (2 s^2), which reaches 2 at x = 2 s).  With the
# estimate taken as normal around the truth with that standard error and
# held in [0, 1], the expected absolute error, bias, coverage and width of
# the limits follow in closed form or by a short numerical integral.
#
# The prediction uses the loci's own frequencies (the panel as simulated,
# not the nominal range of differences), so a panel that happens to be
# poorer than intended raises the predicted error rather than failing the
# checks.

namespace eval ::validation {
    # Every scenario has its individuals in equal numbers of pure R, pure
    # S, F1, the two backcrosses and h drawn uniformly from [0, 1] (50 each
    # of 300).
    variable common {--mix pureR=1,pureS=1,F1=1,BCR=1,BCS=1,uniform=1}

    # name, title, seed, options of the panel
    variable scenarios {
        strong {
            title "50 codominant loci (2-4 alleles), strongly differentiated"
            seed 4101
            options {--loci 50 --alleles 2:4 --differentiation strong}
        }
        weak {
            title "500 biallelic SNPs, weakly differentiated"
            seed 4102
            options {--loci 500 --alleles 2 --differentiation weak}
        }
        dominant {
            title "120 loci, a third dominant, moderately differentiated"
            seed 4103
            options {--loci 120 --alleles 2:3 --dominant-share 0.3333
                     --differentiation moderate}
        }
        missing {
            title "150 loci of mixed differentiation, 20% missing data"
            seed 4104
            options {--loci 150 --alleles 2:3 --missing-share 0.2
                     --differentiation mixed}
        }
    }

    # Bins of true h for the bias: the two pure kinds on their own, then
    # five bins of width 0.2 over the interior.
    variable bins {
        {0 0 "h = 0"} {0 0.2 "0 < h < 0.2"} {0.2 0.4 "0.2 <= h < 0.4"}
        {0.4 0.6 "0.4 <= h < 0.6"} {0.6 0.8 "0.6 <= h < 0.8"}
        {0.8 1 "0.8 <= h < 1"} {1 1 "h = 1"}
    }

    # Values of true h at which the prediction is worked out exactly; other
    # values (the uniform kind) are interpolated between them.  The fixed
    # kinds (0, 0.25, 0.5, 0.75, 1) lie on the grid.
    variable gridStep 0.05

    # The support drop of the limits, in natural-log units.
    variable drop 2.0

    # Half-width of the window around a reported value within which the
    # exact optimum or root must lie: the solvers stop within 1e-06 and the
    # report rounds to 5 decimals (5e-06); three times their sum leaves room
    # for neither a real fault nor a false alarm.
    variable window 2e-05

    # Cut test of the limit search: a limit is cut when the log-likelihood
    # at the end is more than this above the target.
    variable cutTolerance 1e-06
}

# --- Reading the files ---------------------------------------------------

# The data parts of the records of a file: for each line that holds a '#',
# the words after the first '#'.  The first record is the header record.
proc ::validation::records {path} {
    set f [open $path r]
    set text [read $f]
    close $f
    set records {}
    foreach line [split $text \n] {
        set at [string first # $line]
        if {$at >= 0} {
            lappend records [regexp -all -inline {\S+} [string range $line [expr {$at + 1}] end]]
        }
    }
    return $records
}

# The loci of a parental file: a list of {type R S}, R and S lists of allele
# frequencies.  A dominant locus gives the frequency of the dominant
# phenotype; the model works with the dominant allele's frequency, which
# Hardy-Weinberg proportions make 1 - sqrt(1 - phenotype frequency).
proc ::validation::readParental {path} {
    set loci {}
    foreach record [lrange [records $path] 1 end] {
        set type [string toupper [lindex $record 0]]
        set numbers [lrange $record 1 end]
        set k [expr {[llength $numbers] / 2}]
        set r [lrange $numbers 0 [expr {$k - 1}]]
        set s [lrange $numbers $k end]
        if {$type eq "D"} {
            set r [list [expr {1.0 - sqrt(1.0 - [lindex $r 0])}]]
            set s [list [expr {1.0 - sqrt(1.0 - [lindex $s 0])}]]
        }
        lappend loci [list $type $r $s]
    }
    return $loci
}

# The individual file: {names genotypes}, genotypes a list per individual of
# its designations per locus ({a b} codominant, {g} dominant, {} missing).
proc ::validation::readIndividuals {path loci} {
    set records [records $path]
    set names [lindex $records 0]
    set n [llength $names]
    for {set j 0} {$j < $n} {incr j} { set g($j) {} }
    foreach record [lrange $records 1 end] locus $loci {
        set dominant [expr {[lindex $locus 0] eq "D"}]
        if {[llength $record] == $n} {
            set words $record
        } else {
            # Two words per individual: a pair written with a blank.
            set words {}
            foreach {a b} $record { lappend words "$a/$b" }
        }
        set j 0
        foreach word $words {
            set d {}
            if {$dominant} {
                if {[scan $word %d%c x rest] == 1 && $x != -9999} { set d [list $x] }
            } elseif {[scan $word {%d%*[/,;]%d%c} x y rest] == 2 && $x != -9999 && $y != -9999} {
                set d [list $x $y]
            }
            lappend g($j) $d
            incr j
        }
    }
    set genotypes {}
    for {set j 0} {$j < $n} {incr j} { lappend genotypes $g($j) }
    return [list $names $genotypes]
}

# The truth file: a dict name -> {h kind}.
proc ::validation::readTruth {path} {
    set f [open $path r]
    set lines [split [string trim [read $f]] \n]
    close $f
    set truth {}
    foreach line [lrange $lines 1 end] {
        lassign [split $line \t] name h kind
        dict set truth $name [list $h $kind]
    }
    return $truth
}

# The rows of a report, read on their own (not through the package's
# reader, so that a fault there cannot hide one here): a dict name ->
# {h lower upper lowerCut upperCut}, numbers or "nan".
proc ::validation::readReport {path} {
    set f [open $path r]
    set lines [split [read $f] \n]
    close $f
    set rows {}
    set inRows 0
    foreach line $lines {
        if {[regexp {^\s*Individual\s+h\s+Lower_Bound\s+Upper_Bound\s*$} $line]} {
            set inRows 1
            continue
        }
        if {!$inRows} continue
        if {[string trim $line] eq ""} break
        if {![regexp {^\s*(\S+)\s+(\S+)\s+(\S+?)(\*?)\s+(\S+?)(\*?)\s*$} $line \
                  -> name h lower lowerCut upper upperCut]} {
            error "unexpected report row: $line"
        }
        dict set rows $name [list $h $lower $upper \
            [expr {$lowerCut eq "*"}] [expr {$upperCut eq "*"}]]
    }
    return $rows
}

# --- The model, written out on its own ------------------------------------

# The individual's log-likelihood as a list of terms: {c R S} stands for
# c * ln(h R + (1 - h) S), the frequency of an allele in the gamete pool;
# {D R S} for ln(1 - q^2), the dominant phenotype, with q the pool
# frequency of the other alleles.  A homozygote counts its allele twice, a
# heterozygote each allele once (the constant ln 2 drops out of every
# comparison), the recessive phenotype counts q twice.
proc ::validation::terms {loci genotype} {
    set terms {}
    foreach locus $loci g $genotype {
        if {$g eq {}} continue
        lassign $locus type r s
        if {$type eq "D"} {
            set a [lindex $r 0]
            set b [lindex $s 0]
            if {[lindex $g 0] == 1} {
                lappend terms D $a $b
            } else {
                lappend terms 2 [expr {1.0 - $a}] [expr {1.0 - $b}]
            }
        } else {
            lassign $g x y
            if {$x == $y} {
                lappend terms 2 [lindex $r $x-1] [lindex $s $x-1]
            } else {
                lappend terms 1 [lindex $r $x-1] [lindex $s $x-1] \
                              1 [lindex $r $y-1] [lindex $s $y-1]
            }
        }
    }
    return $terms
}

# The log-likelihood at h (minus infinity where a probability is 0).
proc ::validation::logLik {terms h} {
    set sum 0.0
    set k [expr {1.0 - $h}]
    foreach {c a b} $terms {
        if {$c eq "D"} {
            set q [expr {$k * (1.0 - $b) + (1.0 - $a) * $h}]
            set v [expr {1.0 - $q * $q}]
            if {$v <= 0.0} { return -Inf }
            set sum [expr {$sum + log($v)}]
        } else {
            set v [expr {$h * $a + $k * $b}]
            if {$v <= 0.0} { return -Inf }
            set sum [expr {$sum + $c * log($v)}]
        }
    }
    return $sum
}

# --- Checks of the computation ----------------------------------------------

# Whether a report row agrees with the log-likelihood: the log-likelihood is
# concave in h (a sum of logarithms of functions that are linear or concave
# and positive in h), so the sign of a difference across a small window
# locates the optimum and each root exactly.  Returns the empty string when
# the row agrees, else what is wrong.
proc ::validation::checkRow {terms h lower upper lowerCut upperCut} {
    variable window
    variable drop
    variable cutTolerance
    set w $window
    set here [logLik $terms $h]
    if {$h > 0.0} {
        set x [expr {max(0.0, $h - $w)}]
        if {[logLik $terms $x] > $here} {
            return "the log-likelihood rises below the estimate $h"
        }
    }
    if {$h < 1.0} {
        set x [expr {min(1.0, $h + $w)}]
        if {[logLik $terms $x] > $here} {
            return "the log-likelihood rises above the estimate $h"
        }
    }
    set target [expr {$here - $drop}]
    foreach side {lower upper} limit [list $lower $upper] cut [list $lowerCut $upperCut] \
            end {0.0 1.0} inward {1 -1} {
        if {$limit eq "nan"} {
            return "the $side limit is undefined"
        }
        if {$cut} {
            if {$limit != $end} {
                return "the $side limit $limit is marked cut but is not $end"
            }
            if {[logLik $terms $end] < $target - $cutTolerance} {
                return "the $side limit is cut at $end although the log-likelihood falls\
                        more than $drop there"
            }
            continue
        }
        # The log-likelihood is at or below the target just outside the
        # limit and above it just inside.
        set outside [expr {min(1.0, max(0.0, $limit - $inward * $w))}]
        set inside [expr {$limit + $inward * $w}]
        if {[logLik $terms $outside] > $target || [logLik $terms $inside] < $target} {
            return "the $side limit $limit is not where the log-likelihood has fallen by $drop"
        }
    }
    return ""
}

# --- The prediction from the panel ----------------------------------------

# The panel in the form the expected fall needs: {alleles dominant}, the
# R and S frequencies of every allele of the codominant loci as one flat
# list {a b a b ...}, and those of the dominant allele of the dominant
# loci likewise.
proc ::validation::panelFrequencies {loci} {
    set alleles {}
    set dominant {}
    foreach locus $loci {
        lassign $locus type r s
        if {$type eq "D"} {
            lappend dominant [lindex $r 0] [lindex $s 0]
        } else {
            foreach a $r b $s { lappend alleles $a $b }
        }
    }
    return [list $alleles $dominant]
}

# Expected fall of the log-likelihood from the truth t to x: the sum over
# loci of the divergence sum p ln(p / q) between the genotype distributions
# at t and at x, times the share of designations present.  Two alleles
# drawn independently from the pool carry twice the divergence of one
# allele; a dominant locus shows only its phenotype, present with chance
# 1 - q^2 where q is the pool frequency of the other alleles.
proc ::validation::expectedFall {panel present t x} {
    lassign $panel alleles dominant
    set kt [expr {1.0 - $t}]
    set kx [expr {1.0 - $x}]
    set sum 0.0
    foreach {a b} $alleles {
        set p [expr {$t * $a + $kt * $b}]
        if {$p <= 0.0} continue
        set q [expr {$x * $a + $kx * $b}]
        if {$q <= 0.0} { return Inf }
        set sum [expr {$sum + 2.0 * $p * log($p / $q)}]
    }
    foreach {a b} $dominant {
        set qt [expr {$kt * (1.0 - $b) + (1.0 - $a) * $t}]
        set qx [expr {$kx * (1.0 - $b) + (1.0 - $a) * $x}]
        foreach p [list [expr {1.0 - $qt * $qt}] [expr {$qt * $qt}]] \
                q [list [expr {1.0 - $qx * $qx}] [expr {$qx * $qx}]] {
            if {$p <= 0.0} continue
            if {$q <= 0.0} { return Inf }
            set sum [expr {$sum + $p * log($p / $q)}]
        }
    }
    return [expr {$present * $sum}]
}

# Distance from t towards the end (0 or 1) at which the expected fall
# reaches the drop.  When it never does within [0, 1], the distance a
# quadratic fall through the value at the end would need (at least the
# distance to the end).
proc ::validation::expectedReach {panel present t end} {
    variable drop
    set span [expr {abs($end - $t)}]
    if {$span == 0.0} { return 0.0 }
    set atEnd [expectedFall $panel $present $t $end]
    if {$atEnd <= $drop} {
        if {$atEnd <= 0.0} { return Inf }
        return [expr {$span * sqrt($drop / $atEnd)}]
    }
    # Bisection on the distance, the fall growing with it, to a few
    # millionths of the span.
    set lo 0.0
    set hi $span
    set sign [expr {$end > $t ? 1.0 : -1.0}]
    for {set i 0} {$i < 18} {incr i} {
        set mid [expr {($lo + $hi) / 2.0}]
        if {[expectedFall $panel $present $t [expr {$t + $sign * $mid}]] < $drop} {
            set lo $mid
        } else {
            set hi $mid
        }
    }
    return [expr {($lo + $hi) / 2.0}]
}

# The expected reach downwards and upwards at each value of the grid of
# true h: a list of {t down up}.
proc ::validation::reachTable {loci present} {
    variable gridStep
    set panel [panelFrequencies $loci]
    set n [expr {int(round(1.0 / $gridStep))}]
    set table {}
    for {set i 0} {$i <= $n} {incr i} {
        set t [expr {$i / double($n)}]
        lappend table [list $t [expectedReach $panel $present $t 0.0] \
                               [expectedReach $panel $present $t 1.0]]
    }
    return $table
}

# Standard error and expected limits at true h, from the table: the two
# reaches interpolated linearly between grid values.  The standard error is
# half the mean reach (half the single reach at a pure end).
proc ::validation::expectation {table t} {
    variable gridStep
    set n [expr {[llength $table] - 1}]
    set i [expr {min($n - 1, int(floor($t / $gridStep)))}]
    lassign [lindex $table $i] t0 down0 up0
    lassign [lindex $table $i+1] t1 down1 up1
    set f [expr {($t - $t0) / ($t1 - $t0)}]
    set down [expr {$t == 0.0 ? 0.0 : $down0 + $f * ($down1 - $down0)}]
    set up [expr {$t == 1.0 ? 0.0 : $up0 + $f * ($up1 - $up0)}]
    if {$t == 0.0} {
        set se [expr {$up / 2.0}]
    } elseif {$t == 1.0} {
        set se [expr {$down / 2.0}]
    } else {
        set se [expr {($down + $up) / 4.0}]
    }
    return [list $se [expr {max(0.0, $t - $down)}] [expr {min(1.0, $t + $up)}]]
}

# Standard normal density and distribution function.
proc ::validation::phi {z} {
    return [expr {exp(-0.5 * $z * $z) / sqrt(2.0 * acos(-1.0))}]
}
proc ::validation::Phi {z} {
    # erfc by the Chebyshev fit of Numerical Recipes (relative error below
    # 1.2e-07 everywhere).
    set x [expr {abs($z) / sqrt(2.0)}]
    set t [expr {1.0 / (1.0 + 0.5 * $x)}]
    set erfc [expr {$t * exp(-$x * $x - 1.26551223 + $t * (1.00002368 + $t * (0.37409196
        + $t * (0.09678418 + $t * (-0.18628806 + $t * (0.27886807 + $t * (-1.13520398
        + $t * (1.48851587 + $t * (-0.82215223 + $t * 0.17087277)))))))))}]
    return [expr {$z >= 0 ? 1.0 - 0.5 * $erfc : 0.5 * $erfc}]
}

# For an estimate normal around t with standard error s and held in
# [0, 1]: the expected error above the truth (d = 1 - t is as far as it can
# go) and its second moment, one side of the error.
proc ::validation::sideMoments {s d} {
    if {$s <= 0.0 || $d <= 0.0} { return {0.0 0.0} }
    if {$s == Inf} { return [list [expr {0.5 * $d}] [expr {0.5 * $d * $d}]] }
    set u [expr {$d / $s}]
    set tail [expr {1.0 - [Phi $u]}]
    set first [expr {$s * ([phi 0] - [phi $u]) + $d * $tail}]
    set second [expr {$s * $s * ([Phi $u] - 0.5 - $u * [phi $u]) + $d * $d * $tail}]
    return [list $first $second]
}

# Expected absolute error, bias and second moment of the error of an
# estimate normal around t with standard error s, held in [0, 1].
proc ::validation::errorMoments {t s} {
    lassign [sideMoments $s [expr {1.0 - $t}]] above above2
    lassign [sideMoments $s $t] below below2
    return [list [expr {$above + $below}] [expr {$above - $below}] [expr {$above2 + $below2}]]
}

# Chance that the 2-unit limits hold the truth, for the quadratic
# log-likelihood with standard error s and the estimate held in [0, 1].
# With the unconstrained estimate at t + s Z the truth is missed on the low
# side when Z < -2 and the estimate stays inside [0, 1].  Beyond the end
# (Z < -u, the end being u = t / s standard errors away) the estimate is
# held at 0 and the fall from 0 to the truth is (-u^2 - 2 u Z) / 2, which
# exceeds 2 when Z < -(4 + u^2) / (2 u).  For u >= 2 that holds for every
# Z < -u, so the miss is Z < -2 as without the end; for u < 2 it is
# Z < -(4 + u^2) / (2 u) alone.  A pure individual (u = 0) is never missed
# on that side, which leaves it a miss chance of about 2.3% in all.
proc ::validation::coverageChance {t s} {
    if {$s <= 0.0} { return 1.0 }
    set miss 0.0
    foreach d [list $t [expr {1.0 - $t}]] {
        set u [expr {$d / $s}]
        if {$u <= 0.0} continue
        set z [expr {$u >= 2.0 ? 2.0 : (4.0 + $u * $u) / (2.0 * $u)}]
        set miss [expr {$miss + [Phi [expr {-$z}]]}]
    }
    return [expr {1.0 - $miss}]
}

# Expected width of the limits for the quadratic log-likelihood with
# standard error s: the unconstrained estimate m = t + s Z; held at an end
# when it falls outside, the limit on the far side lies where the fall from
# the end reaches 2.  Integrated over Z by the midpoint rule.
proc ::validation::expectedWidth {t s} {
    if {$s <= 0.0} { return 0.0 }
    set sum 0.0
    set step 0.02
    for {set z -8.0} {$z < 8.0} {set z [expr {$z + $step}]} {
        set zm [expr {$z + $step / 2.0}]
        set m [expr {$t + $s * $zm}]
        set reach [expr {2.0 * $s}]
        if {$m < 0.0} {
            set lo 0.0
            set hi [expr {min(1.0, $m + sqrt($m * $m + $reach * $reach))}]
        } elseif {$m > 1.0} {
            set hi 1.0
            set lo [expr {max(0.0, $m - sqrt(($m - 1.0) ** 2 + $reach * $reach))}]
        } else {
            set lo [expr {max(0.0, $m - $reach)}]
            set hi [expr {min(1.0, $m + $reach)}]
        }
        set sum [expr {$sum + ($hi - $lo) * [phi $zm] * $step}]
    }
    return $sum
}

# --- One scenario -----------------------------------------------------------

# Simulates the scenario NAME into DIR with the simulator SIM, runs the
# command and returns a dict of figures (see summarise) with the records of
# the individuals under "individuals": {name h kind estimate lower upper
# lowerCut upperCut se}.  A larger set of individuals, or another seed
# (the scenario's own plus an offset), serves the documentation's check of
# the coverage on more draws.
proc ::validation::run {name sim dir {individuals 300} {seedOffset 0}} {
    variable scenarios
    variable common
    set scenario [dict get $scenarios $name]
    set prefix [file join $dir $name]
    exec $sim --individuals $individuals {*}$common {*}[dict get $scenario options] \
        --seed [expr {[dict get $scenario seed] + $seedOffset}] --prefix $prefix
    parmix $prefix.parental.txt $prefix.individuals.txt $prefix.report.txt
    return [analyse $name $prefix]
}

# The figures of one scenario from its files.
proc ::validation::analyse {name prefix} {
    variable scenarios
    set scenario [dict get $scenarios $name]
    set loci [readParental $prefix.parental.txt]
    lassign [readIndividuals $prefix.individuals.txt $loci] names genotypes
    set truth [readTruth $prefix.truth.tsv]
    set rows [readReport $prefix.report.txt]

    set present 1.0
    set at [lsearch [dict get $scenario options] --missing-share]
    if {$at >= 0} {
        set present [expr {1.0 - [lindex [dict get $scenario options] $at+1]}]
    }
    set table [reachTable $loci $present]

    set individuals {}
    set faults {}
    foreach individual $names genotype $genotypes {
        lassign [dict get $truth $individual] h kind
        lassign [dict get $rows $individual] estimate lower upper lowerCut upperCut
        lassign [expectation $table $h] se expectedLower expectedUpper
        set record [dict create name $individual h $h kind $kind estimate $estimate \
            lower $lower upper $upper lowerCut $lowerCut upperCut $upperCut se $se]
        if {$estimate ne "nan"} {
            set fault [checkRow [terms $loci $genotype] $estimate $lower $upper $lowerCut $upperCut]
            if {$fault ne ""} {
                lappend faults "$individual: $fault"
            }
        }
        lappend individuals $record
    }
    set figures [summarise $individuals]
    dict set figures name $name
    dict set figures title [dict get $scenario title]
    dict set figures faults $faults
    dict set figures loci [llength $loci]
    dict set figures individuals $individuals
    return $figures
}

# Observed and predicted figures of a list of individual records:
#   n, undefined: individuals with an estimate, and those without one (left
#     out of every other figure);
#   mae, maeExpected, maeSpread: mean absolute error, its prediction and
#     the standard deviation of the mean under the prediction (from the
#     second moment of the error, which bounds the spread of its absolute
#     value from above);
#   coverage, coverageExpected, coverageSpread: share of individuals whose
#     true h lies within the limits, its prediction and the standard
#     deviation of the share (a sum of independent chances);
#   interior, interiorCoverage, interiorExpected, interiorSpread: the same
#     over the individuals with 0 < h < 1;
#   pure, pureCoverage, pureAtEnd: individuals with h = 0 or 1, the share
#     covered and the share whose estimate is exactly their h;
#   interiorBias, interiorBiasExpected, interiorBiasSpread: mean error over
#     the individuals with 0 < h < 1, its prediction and the standard
#     deviation of the mean;
#   interiorReachEnd: share of the individuals with 0 < h < 1 whose limits
#     reach 0 or 1 (data that cannot rule out a pure parent);
#   width, widthExpected: mean width of the limits;
#   bins: per bin of true h, {label n bias biasExpected biasSpread}.
proc ::validation::summarise {individuals} {
    variable bins
    set n 0
    set undefined 0
    foreach key {abs absExpected second covered coveredExpected coveredVariance
                 interior interiorCovered interiorExpected interiorVariance
                 interiorError interiorBias interiorSecond
                 pure pureCovered pureAtEnd interiorReachEnd width widthExpected} {
        set $key 0.0
    }
    set binSums [lrepeat [llength $bins] {0 0.0 0.0 0.0}]
    foreach record $individuals {
        dict with record {
            if {$estimate eq "nan" || $lower eq "nan" || $upper eq "nan"} {
                incr undefined
                continue
            }
            incr n
            lassign [errorMoments $h $se] eAbs eBias eSecond
            set error [expr {$estimate - $h}]
            set abs [expr {$abs + abs($error)}]
            set absExpected [expr {$absExpected + $eAbs}]
            set second [expr {$second + $eSecond}]
            set isCovered [expr {$lower <= $h && $h <= $upper}]
            set chance [coverageChance $h $se]
            set covered [expr {$covered + $isCovered}]
            set coveredExpected [expr {$coveredExpected + $chance}]
            set coveredVariance [expr {$coveredVariance + $chance * (1.0 - $chance)}]
            if {$h > 0.0 && $h < 1.0} {
                set interior [expr {$interior + 1}]
                set interiorCovered [expr {$interiorCovered + $isCovered}]
                set interiorExpected [expr {$interiorExpected + $chance}]
                set interiorVariance [expr {$interiorVariance + $chance * (1.0 - $chance)}]
                set interiorError [expr {$interiorError + $error}]
                set interiorBias [expr {$interiorBias + $eBias}]
                set interiorSecond [expr {$interiorSecond + $eSecond}]
                if {$lower == 0.0 || $upper == 1.0} {
                    set interiorReachEnd [expr {$interiorReachEnd + 1}]
                }
            } else {
                set pure [expr {$pure + 1}]
                set pureCovered [expr {$pureCovered + $isCovered}]
                set pureAtEnd [expr {$pureAtEnd + ($estimate == $h)}]
            }
            set width [expr {$width + $upper - $lower}]
            set widthExpected [expr {$widthExpected + [expectedWidth $h $se]}]
            set b [binOf $h]
            lassign [lindex $binSums $b] bn bsum bexp bsecond
            lset binSums $b [list [incr bn] [expr {$bsum + $error}] [expr {$bexp + $eBias}] \
                                 [expr {$bsecond + $eSecond}]]
        }
    }
    set binFigures {}
    foreach bin $bins sums $binSums {
        lassign $sums bn bsum bexp bsecond
        if {$bn == 0} {
            lappend binFigures [list [lindex $bin 2] 0 {} {} {}]
        } else {
            lappend binFigures [list [lindex $bin 2] $bn [expr {$bsum / $bn}] \
                [expr {$bexp / $bn}] [expr {sqrt($bsecond) / $bn}]]
        }
    }
    return [dict create n $n undefined $undefined \
        mae [ratio $abs $n] maeExpected [ratio $absExpected $n] \
        maeSpread [ratio [expr {sqrt($second)}] $n] \
        coverage [ratio $covered $n] coverageExpected [ratio $coveredExpected $n] \
        coverageSpread [ratio [expr {sqrt($coveredVariance)}] $n] \
        interior [expr {int($interior)}] interiorCoverage [ratio $interiorCovered $interior] \
        interiorExpected [ratio $interiorExpected $interior] \
        interiorSpread [ratio [expr {sqrt($interiorVariance)}] $interior] \
        interiorBias [ratio $interiorError $interior] \
        interiorBiasExpected [ratio $interiorBias $interior] \
        interiorBiasSpread [ratio [expr {sqrt($interiorSecond)}] $interior] \
        pure [expr {int($pure)}] pureCoverage [ratio $pureCovered $pure] \
        pureAtEnd [ratio $pureAtEnd $pure] interiorReachEnd [ratio $interiorReachEnd $interior] \
        width [ratio $width $n] widthExpected [ratio $widthExpected $n] \
        bins $binFigures]
}

# A share, or NaN of an empty set.
proc ::validation::ratio {sum count} {
    return [expr {$count > 0 ? $sum / double($count) : "NaN"}]
}

# Index of the bin of true h.
proc ::validation::binOf {h} {
    variable bins
    set i 0
    foreach bin $bins {
        lassign $bin lo hi
        if {$lo == $hi ? $h == $lo : ($h >= $lo && $h < $hi && ($lo > 0.0 || $h > 0.0))} {
            return $i
        }
        incr i
    }
    error "no bin for h = $h"
}

# --- The figure ----------------------------------------------------------------
