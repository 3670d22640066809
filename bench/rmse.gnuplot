# Draws the RMSE study: gnuplot -e "data='rmse.dat'; output='rmse.png'" rmse.gnuplot
set terminal pngcairo size 900,600 font "DejaVu Sans,11"
set output output
set logscale xy 2
set format x "2^{%L}"
set format y "10^{%T}"
set logscale y 10
set xrange [50:84000]
set xlabel "number of points n"
set ylabel "error of the estimate (RMSE over 64 seeds)"
set title "Integral of prod_j (1 + (x_j - 1/2)/j) over [0,1]^5 (= 1): RMSE over 64 seeds"
set key bottom left box opaque
set grid xtics ytics mytics lc rgb "#dddddd"
# Reference slopes through the first point of each measured line.
stats data using 2 every ::0::0 nooutput name "Scrambled"
stats data using 3 every ::0::0 nooutput name "MonteCarlo"
plot data using 1:3 with linespoints lw 2 pt 7 lc rgb "#d62728" title "plain Monte Carlo (mt19937-64)", \
     data using 1:4 with linespoints lw 2 pt 5 lc rgb "#7f7f7f" title "unscrambled Sobol, rnd\\_Sobol (single error)", \
     data using 1:5 with linespoints lw 2 pt 11 lc rgb "#2ca02c" title "scrambled Halton, rnd\\_ScrambledHalton", \
     data using 1:2 with linespoints lw 2 pt 9 lc rgb "#1f77b4" title "scrambled Sobol, rnd\\_ScrambledSobol", \
     data using 1:6 with linespoints lw 2 pt 13 lc rgb "#ff7f0e" title "shifted lattice, rnd\\_Lattice", \
     data using 1:7 with linespoints lw 2 pt 15 lc rgb "#9467bd" title "shifted lattice, baker's transform", \
     MonteCarlo_min * (x / 64.0) ** -0.5 with lines dt 2 lc rgb "#d62728" title "n^{-1/2}", \
     Scrambled_min * (x / 64.0) ** -1.5 with lines dt 2 lc rgb "#1f77b4" title "n^{-3/2}"
