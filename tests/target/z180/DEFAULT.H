/* The header every program compile uses first: it makes the run-time
   libraries known, so that the modules that define the routines generated
   code calls are pulled in by need. */
/*** beginheader */
#use "INTMATH.LIB"
#use "LONGMATH.LIB"
#use "RUNTIME.LIB"
#use "FLOAT.LIB"
/*** endheader */
