set x to {1, 2.5, "a", {b:true}} & {3}
return (x & 4 div 3 mod 2) -- c
(* n (* m *) *)