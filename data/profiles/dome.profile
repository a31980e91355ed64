# Simulated sensor of the sample speed dome: Sony IMX290 behind a 20x zoom
# block on a Hi3516AV200, PAL.
#
#   version TEXT, day-night 0|1, range CMD TYPE DEFAULT V..., value CMD V
#   (see box.profile)
version IMX290-DM20X ISP 3.2.7
day-night 0
range 49 0 8 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20 21 22
range 50 0 12 8 9 10 11 12 13 14 15 16 17 18 19 20 21 22 23 24 25 26
range 82 0 512 256 307 358 410 512 614 717 870 1024 1229 1434 1741 2048
# The zoom block focuses no closer than 1 m (code 3).
range 1537 0 4 3 4 5 6 7 8 9 10
value 1568 29056
value 1552 2300
value 1648 7300
